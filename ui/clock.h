#pragma once
// The library's own clock, which drives every TTimer.
//
// Real mode (the running program): timers follow real time through a
// precise Qt timer. A periodic timer keeps its schedule: each tick is due
// one interval after the previous one was due, so n ticks take n intervals
// however late each wake-up came. A timer whose interval has elapsed again
// while its handler ran fires again at once (catching up within a few
// milliseconds of work per turn of the message loop), so a 1 ms timer runs
// as fast as its handler allows.
//
// Virtual mode (tests): time stands still until a test moves it. Advance
// moves it one millisecond at a time and fires every timer that falls due,
// in order of due time and then of creation. No test sleeps.

#include <cstdint>
#include <functional>

namespace ui {

enum class ClockMode { Real, Virtual };

namespace clock {

ClockMode Mode();
// Milliseconds since the application started (virtual: since it was created).
int64_t NowMs();
// Virtual mode only: moves time on by `ms`, firing due timers.
void Advance(int64_t ms);
// Virtual mode only: advances 1 ms at a time until `done()` holds (checked
// before each step) or `maxMs` have passed. True when `done()` held.
bool RunUntil(const std::function<bool()>& done, int64_t maxMs);
// Number of timer events fired so far (all timers).
int64_t TimerEvents();

}  // namespace clock
}  // namespace ui
