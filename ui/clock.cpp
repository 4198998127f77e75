#include "ui/clock.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "ui/controls.h"
#include "ui/detail/clock_internal.h"

namespace ui {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A real-time turn of the pump fires due timers for at most this long, then
// lets the message loop run before it catches up further.
constexpr std::chrono::milliseconds kPumpBudget{10};

struct ClockState {
  ClockMode mode = ClockMode::Real;
  SteadyClock::time_point realStart = SteadyClock::now();
  int64_t virtualNow = 0;
  int64_t events = 0;
  std::vector<TTimer*> timers;
  std::unique_ptr<QTimer> pump;
};

ClockState& State() {
  static ClockState state;
  return state;
}

bool Registered(const TTimer* timer) {
  const auto& timers = State().timers;
  return std::find(timers.begin(), timers.end(), timer) != timers.end();
}

bool IsDue(const TTimer* timer, int64_t now) {
  return timer->Enabled() && timer->Interval() > 0 && timer->DueAt() <= now;
}

// Timers due at `now`, earliest first, creation order breaking ties.
std::vector<TTimer*> DueTimers(int64_t now) {
  std::vector<TTimer*> due;
  for (TTimer* timer : State().timers) {
    if (IsDue(timer, now)) due.push_back(timer);
  }
  std::sort(due.begin(), due.end(), [](const TTimer* a, const TTimer* b) {
    if (a->DueAt() != b->DueAt()) return a->DueAt() < b->DueAt();
    return a->Sequence() < b->Sequence();
  });
  return due;
}

// Fires every timer due now once. A handler may disable, re-arm or destroy
// any timer, so each is checked again just before it fires.
bool FireDue(int64_t now) {
  const std::vector<TTimer*> due = DueTimers(now);
  for (TTimer* timer : due) {
    if (Registered(timer) && IsDue(timer, now)) timer->Fire();
  }
  return !due.empty();
}

void SchedulePump();

void Pump() {
  const auto start = SteadyClock::now();
  while (SteadyClock::now() - start < kPumpBudget) {
    if (!FireDue(clock::NowMs())) break;
  }
  SchedulePump();
}

// Wakes the pump when the earliest timer falls due (at once when one is due).
void SchedulePump() {
  ClockState& state = State();
  if (state.mode != ClockMode::Real) return;
  int64_t earliest = -1;
  for (const TTimer* timer : state.timers) {
    if (!timer->Enabled() || timer->Interval() <= 0) continue;
    if (earliest < 0 || timer->DueAt() < earliest) earliest = timer->DueAt();
  }
  if (earliest < 0) {
    if (state.pump) state.pump->stop();
    return;
  }
  if (!state.pump) {
    state.pump = std::make_unique<QTimer>();
    state.pump->setSingleShot(true);
    state.pump->setTimerType(Qt::PreciseTimer);
    QObject::connect(state.pump.get(), &QTimer::timeout, [] { Pump(); });
  }
  const int64_t wait = std::max<int64_t>(0, earliest - clock::NowMs());
  state.pump->start(static_cast<int>(std::min<int64_t>(wait, 24 * 3600 * 1000)));
}

}  // namespace

namespace clock {

ClockMode Mode() {
  return State().mode;
}

int64_t NowMs() {
  const ClockState& state = State();
  if (state.mode == ClockMode::Virtual) return state.virtualNow;
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - state.realStart)
      .count();
}

void Advance(int64_t ms) {
  ClockState& state = State();
  if (state.mode != ClockMode::Virtual) return;
  for (int64_t step = 0; step < ms; ++step) {
    ++state.virtualNow;
    FireDue(state.virtualNow);
  }
}

bool RunUntil(const std::function<bool()>& done, int64_t maxMs) {
  for (int64_t step = 0; step < maxMs; ++step) {
    if (done()) return true;
    Advance(1);
  }
  return done();
}

int64_t TimerEvents() {
  return State().events;
}

}  // namespace clock

namespace detail {

void SetClockMode(ClockMode mode) {
  ClockState& state = State();
  state.mode = mode;
  state.realStart = SteadyClock::now();
  state.virtualNow = 0;
  if (state.pump) state.pump->stop();
}

void RegisterTimer(TTimer* timer) {
  State().timers.push_back(timer);
}

void UnregisterTimer(TTimer* timer) {
  auto& timers = State().timers;
  timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
}

void TimersChanged() {
  SchedulePump();
}

void CountTimerEvent() {
  ++State().events;
}

void StopClock() {
  State().pump.reset();
}

}  // namespace detail

// --- TTimer ------------------------------------------------------------------

namespace {
uint64_t nextTimerSequence = 0;
}

TTimer::TTimer(std::string name) : TComponent(std::move(name)), sequence_(++nextTimerSequence) {
  dueAt_ = clock::NowMs() + interval_;
  detail::RegisterTimer(this);
  detail::TimersChanged();
}

TTimer::~TTimer() {
  detail::UnregisterTimer(this);
}

void TTimer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  dueAt_ = clock::NowMs() + interval_;
  restarted_ = true;
  detail::TimersChanged();
}

void TTimer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  dueAt_ = clock::NowMs() + interval_;
  restarted_ = true;
  detail::TimersChanged();
}

void TTimer::Fire() {
  if (!enabled_ || interval_ <= 0 || firing_) return;
  const int64_t firedAt = clock::NowMs();
  restarted_ = false;
  firing_ = true;
  detail::CountTimerEvent();
  struct Done {
    TTimer* timer;
    ~Done() { timer->firing_ = false; }
  } done{this};
  if (OnTimer) OnTimer();
  // The next tick is due one interval after this one was due, not after it
  // fired: a late wake-up does not stretch the period, so n ticks of a
  // timer take n intervals. A handler that ran longer than the interval is
  // due again at once, so a short timer runs as fast as its handler allows;
  // a timer that fell further behind (a long handler, a stalled loop) owes
  // at most that one tick, not every interval it missed.
  if (!restarted_) dueAt_ = std::max(dueAt_ + interval_, firedAt);
}

}  // namespace ui
