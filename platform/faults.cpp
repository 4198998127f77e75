// Planned failures of file operations, for tests of the error paths above.
//
// Until something asks for the plan (any call of faults::), file operations
// only read one flag, with no lock and no count: a program that never plans
// a fault pays one relaxed load per operation. From the first call on, every
// operation is counted under the plan's lock.
#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/internal.h"

namespace platform {
namespace {

constexpr size_t kOpKinds = static_cast<size_t>(faults::Op::Flush) + 1;

struct PlannedFault {
  int64_t Call;  // the call count at which it fires
  detail::InjectedFault Fault;
};

struct PlannedAction {
  int64_t Call;
  std::function<void()> Action;
};

struct FaultPlan {
  std::mutex Mutex;
  std::array<int64_t, kOpKinds> Calls{};
  std::array<std::vector<PlannedFault>, kOpKinds> Planned;
  std::array<std::vector<PlannedAction>, kOpKinds> Actions;
  std::array<std::optional<PlannedFault>, kOpKinds> Lasting;  // fires from its call on
};

std::atomic<bool> planInUse{false};

FaultPlan& Plan() {
  static FaultPlan plan;
  return plan;
}

// The plan, taken into use: from now on operations are counted.
FaultPlan& UsedPlan() {
  planInUse.store(true, std::memory_order_relaxed);
  return Plan();
}

size_t IndexOf(faults::Op op) {
  return static_cast<size_t>(op);
}

void PlanFault(faults::Op op, int nth, detail::InjectedFault fault) {
  if (nth < 1) return;
  FaultPlan& plan = UsedPlan();
  std::lock_guard lock(plan.Mutex);
  plan.Planned[IndexOf(op)].push_back({plan.Calls[IndexOf(op)] + nth, fault});
}

}  // namespace

namespace faults {

void Fail(Op op, int nth, int error) {
  PlanFault(op, nth, {error, false});
}

void DiskFull(int nthWrite) {
  PlanFault(Op::Write, nthWrite, {err::DiskFull, true});
}

void FailFrom(Op op, int nth, int error) {
  if (nth < 1) return;
  FaultPlan& plan = UsedPlan();
  std::lock_guard lock(plan.Mutex);
  plan.Lasting[IndexOf(op)] = PlannedFault{plan.Calls[IndexOf(op)] + nth, {error, false}};
}

void Before(Op op, int nth, std::function<void()> action) {
  if (nth < 1 || !action) return;
  FaultPlan& plan = UsedPlan();
  std::lock_guard lock(plan.Mutex);
  plan.Actions[IndexOf(op)].push_back({plan.Calls[IndexOf(op)] + nth, std::move(action)});
}

int64_t Count(Op op) {
  FaultPlan& plan = UsedPlan();
  std::lock_guard lock(plan.Mutex);
  return plan.Calls[IndexOf(op)];
}

void Reset() {
  FaultPlan& plan = UsedPlan();
  std::lock_guard lock(plan.Mutex);
  plan.Calls.fill(0);
  for (auto& planned : plan.Planned) planned.clear();
  for (auto& actions : plan.Actions) actions.clear();
  plan.Lasting.fill(std::nullopt);
}

}  // namespace faults

namespace detail {

namespace {

// The action planned for this call, taken out of the plan.
std::function<void()> TakeAction(std::vector<PlannedAction>& actions, int64_t call) {
  const auto due = std::find_if(actions.begin(), actions.end(),
                                [call](const PlannedAction& a) { return a.Call == call; });
  if (due == actions.end()) return {};
  std::function<void()> action = std::move(due->Action);
  actions.erase(due);
  return action;
}

}  // namespace

InjectedFault TakeFault(faults::Op op) {
  if (!planInUse.load(std::memory_order_relaxed)) return {};
  FaultPlan& plan = Plan();
  std::unique_lock lock(plan.Mutex);
  const int64_t call = ++plan.Calls[IndexOf(op)];
  // Run without the lock: the action may use files itself.
  if (auto action = TakeAction(plan.Actions[IndexOf(op)], call)) {
    lock.unlock();
    action();
    lock.lock();
  }
  if (const auto& lasting = plan.Lasting[IndexOf(op)]; lasting && call >= lasting->Call) {
    return lasting->Fault;
  }
  auto& planned = plan.Planned[IndexOf(op)];
  const auto due = std::find_if(planned.begin(), planned.end(),
                                [call](const PlannedFault& p) { return p.Call == call; });
  if (due == planned.end()) return {};
  const InjectedFault fault = due->Fault;
  planned.erase(due);
  return fault;
}

}  // namespace detail
}  // namespace platform
