#include "core/state.h"

#include <type_traits>

namespace vek {

namespace {

// One variable back to its start state. The job list is cleared entry by
// entry rather than through a temporary copy of the whole list.
template <class T>
void ResetVariable(T& value) {
  if constexpr (std::is_same_v<T, TJobList>) {
    value.JobCount = 0;
    value.JobListCapacity = 0;
    value.JobTotalSize = 0;
    value.SelectedRow = 0;
    for (size_t i = 0; i < TJobList::Slots; ++i) value.ClearEntry(i);
  } else if constexpr (std::is_same_v<T, TKeystreamStore>) {
    value.Wipe();
  } else {
    value = T{};
  }
}

}  // namespace

void ResetProgramState() {
  ForEachProgramVariable([](const char*, auto& value) { ResetVariable(value); });
}

}  // namespace vek
