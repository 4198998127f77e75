// The release of memory for secrets, alone in its file: a build that wants to
// look at such memory as it goes (to see that it was overwritten) puts its
// own release in place of this one at link time.
#include <sys/mman.h>

#include "platform/system.h"

namespace platform {

void VirtualFree(void* at, size_t size) {
  if (at != nullptr) ::munmap(at, size);
}

}  // namespace platform
