// Whole-file replacement through a fresh file beside the old one.
#include "platform/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/internal.h"

namespace platform {
namespace {

bool SyncHostFolder(const std::string& hostFolder) {
  const int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return detail::Fail(detail::PathError(errno, hostFolder));
  // Some file systems cannot sync a folder; their entries are as safe as they get.
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  const int error = errno;
  ::close(fd);
  return synced || detail::Fail(detail::WinError(error, err::WriteFault));
}

// Creates `path` as a new file, never through a link. A name that is taken
// (the remains of a run that was cut short, or a link someone put there)
// is removed first: unlink takes a link itself, never what it points to.
int CreateFresh(const std::string& path, mode_t mode) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(path.c_str(), kFlags, mode);
  if (fd < 0 && errno == EEXIST && (::unlink(path.c_str()) == 0 || errno == ENOENT)) {
    fd = ::open(path.c_str(), kFlags, mode);
  }
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

namespace detail {

bool WriteWholeHostFile(const std::string& hostPath, std::string_view bytes, WholeFileKind kind) {
  const std::string folder = std::filesystem::path(hostPath).parent_path().string();
  const std::string temporary = hostPath + ".new";
  // The umask takes from these what the user does not want anyone to have.
  const int fd = CreateFresh(temporary, kind == WholeFileKind::Runnable ? 0777 : 0666);
  if (fd < 0) return Fail(PathError(errno, temporary));
  bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int error = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && ::rename(temporary.c_str(), hostPath.c_str()) == 0) {
    SyncHostFolder(folder);
    return true;
  }
  if (written) error = errno;
  ::unlink(temporary.c_str());
  return Fail(WinError(error, err::WriteFault));
}

}  // namespace detail

bool WriteWholeFile(std::string_view windowsPath, std::string_view bytes, WholeFileKind kind) {
  const auto host = detail::HostPathOrFail(windowsPath);
  return host && detail::WriteWholeHostFile(*host, bytes, kind);
}

}  // namespace platform
