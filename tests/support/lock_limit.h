#pragma once
// Locked memory limited as for an ordinary user, for tests of what the
// program does when the system locks less than it asks for.

#include <linux/capability.h>
#include <sys/resource.h>

namespace vektest {

// While it lives, this process may lock `limit` bytes of memory at the
// most: the soft limit is lowered and a privileged user's right to pass it
// is put aside. Both come back when it ends.
class TLockLimit {
 public:
  explicit TLockLimit(rlim_t limit);
  ~TLockLimit();
  TLockLimit(const TLockLimit&) = delete;
  TLockLimit& operator=(const TLockLimit&) = delete;

  // Whether the system took the lower limit.
  bool Lowered() const { return lowered_; }

 private:
  rlimit saved_{};
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct caps_[2]{};
  bool lowered_ = false;
};

}  // namespace vektest
