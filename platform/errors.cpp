// The thread's last error and the translation of host errors into Windows numbers.
#include <sys/stat.h>

#include <cerrno>

#include "platform/internal.h"
#include "platform/paths.h"

namespace platform {
namespace {
thread_local int t_lastError = err::Success;
}  // namespace

int LastError() {
  return t_lastError;
}

namespace detail {

void SetLastError(int error) {
  t_lastError = error;
}

bool Fail(int error) {
  t_lastError = error;
  return false;
}

int WinError(int errnum, int fallback) {
  switch (errnum) {
    case 0:
      return err::Success;
    case ENOENT:
      return err::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
      return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ELOOP:
      return err::AccessDenied;
    case EBADF:
      return err::InvalidHandle;
    case EROFS:
      return err::WriteProtect;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return err::NotReady;
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
      return err::SharingViolation;
    case EEXIST:
      return err::FileExists;
    case EINVAL:
      return err::InvalidParameter;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return err::DiskFull;
    case EXDEV:
      return err::NotSameDevice;
    default:
      return fallback;
  }
}

int MissingError(const std::string& hostPath) {
  const size_t slash = hostPath.find_last_of('/');
  const std::string folder =
      slash == 0 || slash == std::string::npos ? "/" : hostPath.substr(0, slash);
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? err::FileNotFound
                                                                 : err::PathNotFound;
}

int PathError(int errnum, const std::string& hostPath) {
  return errnum == ENOENT ? MissingError(hostPath) : WinError(errnum);
}

int FolderError(int errnum, int fallback) {
  return errnum == ENOENT ? err::PathNotFound : WinError(errnum, fallback);
}

std::optional<std::string> HostPathOrFail(std::string_view windowsPath) {
  auto host = ToHostPath(windowsPath);
  if (!host) SetLastError(err::PathNotFound);
  return host;
}

}  // namespace detail
}  // namespace platform
