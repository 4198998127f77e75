#include <alloca.h>
#include <pthread.h>
#include <string.h>

#include <algorithm>
#include <cstdint>

#include "platform/system.h"

namespace platform {
namespace {

constexpr size_t StackWipeBytes = size_t{256} << 10;
// Left untouched at the stack's far end: the overwrite's own call needs it.
constexpr size_t StackEndMargin = size_t{16} << 10;

// The lowest address of this thread's stack (for the main thread, as far as
// it may grow); 0 when the host does not say.
uintptr_t StackLowEnd() {
  thread_local uintptr_t low = 0;
  if (low != 0) return low;
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* at = nullptr;
  size_t size = 0;
  if (pthread_attr_getstack(&attributes, &at, &size) == 0) low = reinterpret_cast<uintptr_t>(at);
  pthread_attr_destroy(&attributes);
  return low;
}

}  // namespace

// Not inlined: the region starts below this call's own frame, whatever the
// caller keeps in its.
__attribute__((noinline)) void WipeStackBelow() {
  const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  const uintptr_t low = StackLowEnd();  // its own calls run below, and go too
  if (low == 0 || here <= low + StackEndMargin) return;
  const size_t size = std::min(StackWipeBytes, here - low - StackEndMargin);
  void* area = alloca(size);
  explicit_bzero(area, size);
}

}  // namespace platform
