// Opening a program file from the shell starts the program itself, detached,
// with no arguments, as opening a Windows program does.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/internal.h"

namespace platform::detail {
namespace {

constexpr char kElfMagic[] = {0x7F, 'E', 'L', 'F'};

bool IsElfFile(const std::string& hostPath) {
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[sizeof kElfMagic] = {};
  const bool elf = ::read(fd, magic, sizeof magic) == static_cast<ssize_t>(sizeof magic) &&
                   std::memcmp(magic, kElfMagic, sizeof magic) == 0;
  ::close(fd);
  return elf;
}

}  // namespace

std::optional<std::vector<std::string>> ProgramCommandFor(const std::string& hostPath) {
  // Only a program its owner may run is started; anything else goes to the
  // desktop's handler like any other file.
  if (!IsElfFile(hostPath) || ::access(hostPath.c_str(), X_OK) != 0) return std::nullopt;
  return std::vector<std::string>{hostPath};
}

}  // namespace platform::detail
