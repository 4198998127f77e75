// File streams with Windows sharing rules, and the file and folder operations.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

#include "platform/internal.h"
#include "platform/paths.h"

namespace platform {
namespace {

using detail::Fail;
using detail::FolderError;
using detail::TakeFault;
using faults::Op;

// Reads and writes go to the kernel in pieces of at most this many bytes.
constexpr int64_t kMaxTransfer = int64_t{1} << 30;

// Every stream open in this process, per file, for the sharing rules.
struct OpenRecord {
  const FileStream* Owner;
  bool Reads;
  bool Writes;
  ShareMode Share;
};

bool SharesRead(ShareMode share) {
  return share != ShareMode::Exclusive;
}
bool SharesWrite(ShareMode share) {
  return share == ShareMode::DenyNone;
}

// Two opens may coexist when each one's sharing admits the other's access.
bool Compatible(const OpenRecord& a, const OpenRecord& b) {
  return (!b.Reads || SharesRead(a.Share)) && (!b.Writes || SharesWrite(a.Share)) &&
         (!a.Reads || SharesRead(b.Share)) && (!a.Writes || SharesWrite(b.Share));
}

using FileId = std::pair<uint64_t, uint64_t>;

class OpenTable {
 public:
  // False when an open stream's sharing forbids the new one.
  bool Add(FileId id, const OpenRecord& record) {
    std::lock_guard lock(mutex_);
    auto& records = files_[id];
    const bool fits = std::all_of(records.begin(), records.end(),
                                  [&](const OpenRecord& r) { return Compatible(r, record); });
    if (fits) records.push_back(record);
    if (records.empty()) files_.erase(id);
    return fits;
  }
  void Remove(FileId id, const FileStream* owner) {
    std::lock_guard lock(mutex_);
    const auto found = files_.find(id);
    if (found == files_.end()) return;
    std::erase_if(found->second, [owner](const OpenRecord& r) { return r.Owner == owner; });
    if (found->second.empty()) files_.erase(found);
  }
  bool IsOpen(FileId id) {
    std::lock_guard lock(mutex_);
    return files_.count(id) != 0;
  }

 private:
  std::mutex mutex_;
  std::map<FileId, std::vector<OpenRecord>> files_;
};

OpenTable& Opens() {
  static OpenTable table;
  return table;
}

FileId IdOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool IsReadOnly(const struct stat& st) {
  return (st.st_mode & S_IWUSR) == 0;
}

// lstat() of a host path; on failure its Windows error is the last error.
std::optional<struct stat> LinkStatus(const std::string& host) {
  struct stat st {};
  if (::lstat(host.c_str(), &st) == 0) return st;
  detail::SetLastError(detail::PathError(errno, host));
  return std::nullopt;
}

// A regular file that this process has open cannot be removed or renamed.
bool InUse(const struct stat& st) {
  return S_ISREG(st.st_mode) && Opens().IsOpen(IdOf(st));
}

bool IsKind(std::string_view path, mode_t kind) {
  const auto host = ToHostPath(path);
  struct stat st {};
  return host && ::stat(host->c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind;
}

// The host paths of a rename whose source exists and is not open here.
std::optional<std::pair<std::string, std::string>> RenamePaths(std::string_view from,
                                                               std::string_view to) {
  if (const auto fault = TakeFault(Op::Rename); fault.Error) {
    Fail(fault.Error);
    return std::nullopt;
  }
  auto hostFrom = detail::HostPathOrFail(from);
  auto hostTo = detail::HostPathOrFail(to);
  if (!hostFrom || !hostTo) return std::nullopt;
  const auto st = LinkStatus(*hostFrom);
  if (!st) return std::nullopt;
  if (InUse(*st)) {
    Fail(err::SharingViolation);
    return std::nullopt;
  }
  return std::pair{std::move(*hostFrom), std::move(*hostTo)};
}

std::string WithoutTrailingBackslash(std::string_view path) {
  std::string result(path);
  while (result.size() > 3 && result.back() == '\\') result.pop_back();
  return result;
}

}  // namespace

// --- FileStream ----------------------------------------------------------------

namespace {
// A new file named "*.exe" is a program, as its name says: it is created
// runnable (the umask still applies). Every other file is created plain.
mode_t CreationMode(std::string_view path) {
  constexpr std::string_view kProgramSuffix = ".exe";
  const bool program =
      path.size() >= kProgramSuffix.size() &&
      detail::EqualsNoCase(path.substr(path.size() - kProgramSuffix.size()), kProgramSuffix);
  return program ? 0777 : 0666;
}
}  // namespace

std::unique_ptr<FileStream> FileStream::Open(std::string_view path, FileMode mode, ShareMode share,
                                             int* error) {
  const auto fail = [error](int e) {
    detail::SetLastError(e);
    if (error) *error = e;
    return std::unique_ptr<FileStream>();
  };
  if (const auto fault = TakeFault(Op::Open); fault.Error) return fail(fault.Error);
  const auto host = ToHostPath(path);
  if (!host) return fail(err::PathNotFound);

  const bool writes = mode != FileMode::OpenRead;
  // Cutting a file to nothing under another stream's feet is never shared.
  if (mode == FileMode::Create) share = ShareMode::Exclusive;
  // Never through a link when writing; O_NONBLOCK keeps a FIFO from stalling the open.
  int flags = O_CLOEXEC | O_NONBLOCK | (writes ? O_RDWR | O_NOFOLLOW : O_RDONLY);
  if (mode == FileMode::Create) flags |= O_CREAT;
  // Exclusive creation refuses any existing name, a link or a folder included.
  if (mode == FileMode::CreateNew) flags |= O_CREAT | O_EXCL;
  const int fd = ::open(host->c_str(), flags, CreationMode(path));
  if (fd < 0) return fail(detail::PathError(errno, *host));

  std::unique_ptr<FileStream> stream(new FileStream());
  stream->fd_ = fd;
  stream->writable_ = writes;
  stream->path_ = std::string(path);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return fail(detail::WinError(errno));
  if (!S_ISREG(st.st_mode) || (writes && IsReadOnly(st))) return fail(err::AccessDenied);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

  // The sharing checks come before truncation, so a refused Create destroys nothing.
  const FileId id = IdOf(st);
  if (!Opens().Add(id, {stream.get(), true, writes, share})) return fail(err::SharingViolation);
  stream->device_ = id.first;
  stream->inode_ = id.second;
  const int lock = share == ShareMode::Exclusive ? LOCK_EX : LOCK_SH;
  if (::flock(fd, lock | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    return fail(err::SharingViolation);
  }
  if (mode == FileMode::Create && ::ftruncate(fd, 0) != 0) {
    return fail(detail::WinError(errno, err::WriteFault));
  }
  return stream;
}

FileStream::~FileStream() {
  Release();
}

bool FileStream::Fail(int error) const {
  lastError_ = error;
  detail::SetLastError(error);
  return false;
}

int64_t FileStream::FailCount(int error) const {
  Fail(error);
  return -1;
}

bool FileStream::CheckOpen() const {
  return fd_ >= 0 || Fail(err::InvalidHandle);
}

int FileStream::Release() {
  if (fd_ < 0) return 0;
  Opens().Remove({device_, inode_}, this);
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

int64_t FileStream::Read(void* buffer, int64_t count) {
  if (!CheckOpen()) return -1;
  if (count < 0 || (count > 0 && !buffer)) return FailCount(err::InvalidParameter);
  if (const auto fault = TakeFault(Op::Read); fault.Error) return FailCount(fault.Error);
  auto* bytes = static_cast<char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::pread(fd_, bytes + done, static_cast<size_t>(std::min(count - done, kMaxTransfer)),
                static_cast<off_t>(position_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailCount(detail::WinError(errno, err::ReadFault));
    if (n == 0) break;
    done += n;
  }
  position_ += done;
  return done;
}

int64_t FileStream::Write(const void* buffer, int64_t count) {
  if (!CheckOpen()) return -1;
  if (!writable_) return FailCount(err::AccessDenied);
  if (count < 0 || (count > 0 && !buffer)) return FailCount(err::InvalidParameter);
  const auto fault = TakeFault(Op::Write);
  if (fault.Error && !fault.HalfWrite) return FailCount(fault.Error);
  const int64_t wanted = fault.HalfWrite ? count / 2 : count;
  const auto* bytes = static_cast<const char*>(buffer);
  int64_t done = 0;
  int failure = 0;
  while (done < wanted) {
    const ssize_t n =
        ::pwrite(fd_, bytes + done, static_cast<size_t>(std::min(wanted - done, kMaxTransfer)),
                 static_cast<off_t>(position_ + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = n < 0 ? detail::WinError(errno, err::WriteFault) : err::DiskFull;
      break;
    }
    done += n;
  }
  position_ += done;
  if (fault.HalfWrite) failure = err::DiskFull;
  if (failure == 0) return done;
  Fail(failure);
  return failure == err::DiskFull ? done : -1;
}

bool FileStream::Seek(int64_t position) {
  if (!CheckOpen()) return false;
  if (position < 0) return Fail(err::InvalidParameter);
  position_ = position;
  return true;
}

int64_t FileStream::Position() const {
  return position_;
}

int64_t FileStream::Size() const {
  if (!CheckOpen()) return -1;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return FailCount(detail::WinError(errno, err::ReadFault));
  return static_cast<int64_t>(st.st_size);
}

bool FileStream::Flush() {
  if (!CheckOpen()) return false;
  if (const auto fault = TakeFault(Op::Flush); fault.Error) return Fail(fault.Error);
  if (::fsync(fd_) != 0 && errno != EINVAL) return Fail(detail::WinError(errno, err::WriteFault));
  return true;
}

bool FileStream::Close() {
  if (!CheckOpen()) return false;
  const auto fault = TakeFault(Op::Close);
  const int closeErrno = Release();
  if (fault.Error) return Fail(fault.Error);
  if (closeErrno != 0) return Fail(detail::WinError(closeErrno, err::WriteFault));
  return true;
}

bool FileStream::IsOpen() const {
  return fd_ >= 0;
}

// --- Files and folders ------------------------------------------------------------

bool FileExists(std::string_view path) {
  return IsKind(path, S_IFREG);
}

bool IsSymbolicLink(std::string_view path) {
  const auto host = ToHostPath(path);
  struct stat st {};
  return host && ::lstat(host->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  return IsKind(path, S_IFDIR);
}

bool DeleteFile(std::string_view path) {
  if (const auto fault = TakeFault(Op::Delete); fault.Error) return Fail(fault.Error);
  const auto host = detail::HostPathOrFail(path);
  if (!host) return false;
  const auto st = LinkStatus(*host);
  if (!st) return false;
  if (S_ISDIR(st->st_mode)) return Fail(err::AccessDenied);
  if (!S_ISLNK(st->st_mode)) {
    if (IsReadOnly(*st)) return Fail(err::AccessDenied);
    if (InUse(*st)) return Fail(err::SharingViolation);
  }
  if (::unlink(host->c_str()) != 0) return Fail(detail::WinError(errno));
  return true;
}

bool RenameFile(std::string_view from, std::string_view to) {
  const auto paths = RenamePaths(from, to);
  if (!paths) return false;
  const auto& [hostFrom, hostTo] = *paths;
  if (::renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EINVAL || errno == ENOSYS) {
    // File systems without the no-replace rename: check, then rename.
    struct stat existing {};
    if (::lstat(hostTo.c_str(), &existing) == 0) return Fail(err::AlreadyExists);
    if (::rename(hostFrom.c_str(), hostTo.c_str()) == 0) return true;
  }
  if (errno == EEXIST) return Fail(err::AlreadyExists);
  return Fail(FolderError(errno));
}

bool ReplaceFile(std::string_view from, std::string_view to) {
  const auto paths = RenamePaths(from, to);
  if (!paths) return false;
  const auto& [hostFrom, hostTo] = *paths;
  struct stat target {};
  if (::lstat(hostTo.c_str(), &target) == 0) {
    if (S_ISDIR(target.st_mode) || (S_ISREG(target.st_mode) && IsReadOnly(target))) {
      return Fail(err::AccessDenied);
    }
    if (InUse(target)) return Fail(err::SharingViolation);
  }
  if (::rename(hostFrom.c_str(), hostTo.c_str()) == 0) return true;
  return Fail(FolderError(errno));
}

bool CreateDirectory(std::string_view path) {
  if (const auto fault = TakeFault(Op::CreateDirectory); fault.Error) return Fail(fault.Error);
  const auto host = detail::HostPathOrFail(path);
  if (!host) return false;
  if (::mkdir(host->c_str(), 0777) == 0) return true;
  if (errno == EEXIST) return Fail(err::AlreadyExists);
  return Fail(FolderError(errno));
}

bool ForceDirectories(std::string_view path) {
  const std::string folder = WithoutTrailingBackslash(path);
  if (DirectoryExists(folder)) return true;
  const std::string parent = WithoutTrailingBackslash(ExtractFilePath(folder));
  if (parent.empty() || parent == folder || !ToHostPath(folder)) return Fail(err::PathNotFound);
  if (!ForceDirectories(parent)) return false;
  return CreateDirectory(folder) || (LastError() == err::AlreadyExists && DirectoryExists(folder));
}

}  // namespace platform
