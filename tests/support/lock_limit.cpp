#include "lock_limit.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace vektest {

TLockLimit::TLockLimit(rlim_t limit) {
  ::getrlimit(RLIMIT_MEMLOCK, &saved_);
  ::syscall(SYS_capget, &header_, caps_);
  __user_cap_data_struct lowered[2] = {caps_[0], caps_[1]};
  lowered[0].effective &= ~(1u << CAP_IPC_LOCK);
  ::syscall(SYS_capset, &header_, lowered);
  const rlimit lower{limit, saved_.rlim_max};
  lowered_ = ::setrlimit(RLIMIT_MEMLOCK, &lower) == 0;
}

TLockLimit::~TLockLimit() {
  ::setrlimit(RLIMIT_MEMLOCK, &saved_);
  ::syscall(SYS_capset, &header_, caps_);
}

}  // namespace vektest
