#pragma once
// What the clock offers the rest of the library: the timer registry and the
// switch between real and virtual time.

#include "ui/clock.h"

namespace ui {
class TTimer;
}

namespace ui::detail {

void SetClockMode(ClockMode mode);  // also restarts time at 0
void RegisterTimer(TTimer* timer);
void UnregisterTimer(TTimer* timer);
// A timer's due time changed: the real-time pump may need to wake earlier.
void TimersChanged();
void CountTimerEvent();
// Stops the real-time pump (before the Qt application goes away).
void StopClock();

}  // namespace ui::detail
