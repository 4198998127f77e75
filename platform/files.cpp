// File streams with Windows sharing rules, and the file and folder operations.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

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
// runnable by its owner. Every file is created for its owner alone: what
// the program writes is the user's data, never something for others to read.
mode_t CreationMode(std::string_view path) {
  constexpr std::string_view kProgramSuffix = ".exe";
  const bool program =
      path.size() >= kProgramSuffix.size() &&
      detail::EqualsNoCase(path.substr(path.size() - kProgramSuffix.size()), kProgramSuffix);
  return program ? 0700 : 0600;
}

// A descriptor that closes itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_ = -1;
};

// The folder that holds a path's last name, opened from the drive's root one
// name at a time without following a link, and that last name.
struct HeldFolder {
  UniqueFd Folder;
  std::string Leaf;
  std::string Host;  // the whole host path, for error numbers
};

// The Windows error of an *at call on `name` in `folder` that failed with
// `errnum`: a symbolic link where none may be is 5.
int AtError(int errnum, int folder, const std::string& name, const std::string& host) {
  struct stat st {};
  if ((errnum == ELOOP || errnum == ENOTDIR) &&
      ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
    return err::AccessDenied;
  }
  return detail::PathError(errnum, host);
}

std::optional<HeldFolder> OpenParentNoLinks(std::string_view path) {
  auto host = detail::HostPathOrFail(path);
  if (!host) return std::nullopt;
  const auto root = DriveRoot(path[0]);
  if (!root || host->compare(0, root->size(), *root) != 0) {
    Fail(err::PathNotFound);
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (size_t at = root->size(); at < host->size();) {
    if ((*host)[at] == '/') {
      ++at;
      continue;
    }
    const size_t end = std::min(host->find('/', at), host->size());
    names.push_back(host->substr(at, end - at));
    at = end;
  }
  if (names.empty()) {
    Fail(err::AccessDenied);  // the root is no file
    return std::nullopt;
  }
  UniqueFd folder(::open(root->c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) {
    Fail(detail::PathError(errno, *root));
    return std::nullopt;
  }
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    UniqueFd next(
        ::openat(folder.Get(), names[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.Get() < 0) {
      const int e = errno;
      Fail(AtError(e, folder.Get(), names[i], *host) == err::AccessDenied ? err::AccessDenied
                                                                          : err::PathNotFound);
      return std::nullopt;
    }
    folder = std::move(next);
  }
  return HeldFolder{std::move(folder), names.back(), std::move(*host)};
}

// The folder that holds a path's last name as the host resolves it (links
// followed), and that last name.
std::optional<HeldFolder> OpenParentFollowingLinks(std::string_view path) {
  auto host = detail::HostPathOrFail(path);
  if (!host) return std::nullopt;
  const size_t cut = host->rfind('/');
  if (cut == std::string::npos || cut + 1 >= host->size()) {
    Fail(err::AccessDenied);  // the root is no file
    return std::nullopt;
  }
  const std::string parent = cut == 0 ? "/" : host->substr(0, cut);
  UniqueFd folder(::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) {
    Fail(detail::FolderError(errno));
    return std::nullopt;
  }
  std::string leaf = host->substr(cut + 1);
  return HeldFolder{std::move(folder), std::move(leaf), std::move(*host)};
}

std::optional<HeldFolder> OpenParent(std::string_view path, FolderLinks links) {
  return links == FolderLinks::Followed ? OpenParentFollowingLinks(path) : OpenParentNoLinks(path);
}

std::optional<struct stat> StatIn(const HeldFolder& held) {
  struct stat st {};
  if (::fstatat(held.Folder.Get(), held.Leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return st;
  Fail(detail::PathError(errno, held.Host));
  return std::nullopt;
}

FileIdentity IdentityFrom(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<uint64_t>(st.st_nlink)};
}

bool Same(const struct stat& st, const FileIdentity& expected) {
  return IdentityFrom(st).SameFile(expected);
}
}  // namespace

std::unique_ptr<FileStream> FileStream::Open(std::string_view path, FileMode mode, ShareMode share,
                                             int* error) {
  return OpenFile(path, mode, share, error, false);
}

std::unique_ptr<FileStream> FileStream::OpenNoLinks(std::string_view path, FileMode mode,
                                                    ShareMode share, int* error) {
  return OpenFile(path, mode, share, error, true);
}

std::unique_ptr<FileStream> FileStream::OpenFile(std::string_view path, FileMode mode,
                                                 ShareMode share, int* error, bool noLinks) {
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
  // A name that holds no file (a device, pipe or socket) is refused before it
  // is opened: opening some devices acts on them already.
  const auto special = [](const struct stat& st) {
    return !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode);
  };
  struct stat before {};
  int fd = -1;
  if (noLinks) {
    const auto held = OpenParentNoLinks(path);
    if (!held) return fail(platform::LastError());
    if (::fstatat(held->Folder.Get(), held->Leaf.c_str(), &before, AT_SYMLINK_NOFOLLOW) == 0 &&
        special(before)) {
      return fail(err::AccessDenied);
    }
    fd = ::openat(held->Folder.Get(), held->Leaf.c_str(), flags | O_NOFOLLOW, CreationMode(path));
    if (fd < 0) return fail(AtError(errno, held->Folder.Get(), held->Leaf, *host));
  } else {
    if (::stat(host->c_str(), &before) == 0 && special(before)) return fail(err::AccessDenied);
    fd = ::open(host->c_str(), flags, CreationMode(path));
    if (fd < 0) return fail(detail::PathError(errno, *host));
  }

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
  return WriteRepeated(buffer, count, count);
}

int64_t FileStream::WriteRepeated(const void* block, int64_t blockLength, int64_t count) {
  if (!CheckOpen()) return -1;
  if (!writable_) return FailCount(err::AccessDenied);
  if (count < 0 || (count > 0 && (!block || blockLength <= 0))) {
    return FailCount(err::InvalidParameter);
  }
  const auto fault = TakeFault(Op::Write);
  if (fault.Error && !fault.HalfWrite) return FailCount(fault.Error);
  const int64_t wanted = fault.HalfWrite ? count / 2 : count;
  auto* bytes = static_cast<char*>(const_cast<void*>(block));
  // One call of the kernel takes the block as often as it fits a gather
  // list; a short write goes on from the byte it stopped at.
  std::array<iovec, IOV_MAX> pieces;
  int64_t done = 0;
  int failure = 0;
  while (done < wanted) {
    int used = 0;
    int64_t listed = 0;
    int64_t at = done % blockLength;
    while (done + listed < wanted && listed < kMaxTransfer &&
           used < static_cast<int>(pieces.size())) {
      const int64_t n = std::min({blockLength - at, wanted - done - listed, kMaxTransfer - listed});
      pieces[static_cast<size_t>(used++)] = {bytes + at, static_cast<size_t>(n)};
      listed += n;
      at = 0;
    }
    const ssize_t n = ::pwritev(fd_, pieces.data(), used, static_cast<off_t>(position_ + done));
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

void FileStream::ReleaseCache(int64_t offset, int64_t length) {
  if (fd_ < 0 || offset < 0 || length <= 0) return;
  ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_DONTNEED);
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

FileIdentity FileStream::Identity() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {device_, inode_, 0};
  return IdentityFrom(st);
}

uint32_t FileStream::Permissions() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return st.st_mode & 0777;
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

bool IsSpecialFile(std::string_view path) {
  const auto host = ToHostPath(path);
  struct stat st {};
  return host && ::lstat(host->c_str(), &st) == 0 &&
         (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISCHR(st.st_mode) ||
          S_ISBLK(st.st_mode));
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

std::optional<FileIdentity> IdentityOf(std::string_view path) {
  const auto host = detail::HostPathOrFail(path);
  if (!host) return std::nullopt;
  const auto st = LinkStatus(*host);
  if (!st) return std::nullopt;
  return IdentityFrom(*st);
}

std::optional<FileIdentity> IdentityOfNoLinks(std::string_view path) {
  const auto held = OpenParentNoLinks(path);
  if (!held) return std::nullopt;
  const auto st = StatIn(*held);
  if (!st) return std::nullopt;
  return IdentityFrom(*st);
}

bool IsBehindFolderLink(std::string_view path) {
  return !OpenParentNoLinks(path) && LastError() == err::AccessDenied && FileExists(path);
}

bool DeleteListedFile(std::string_view path, const FileIdentity& expected, FolderLinks links) {
  if (const auto fault = TakeFault(Op::Delete); fault.Error) return Fail(fault.Error);
  const auto held = OpenParent(path, links);
  if (!held) return false;
  const auto st = StatIn(*held);
  if (!st) return false;
  if (!Same(*st, expected)) return Fail(err::FileNotFound);
  if (S_ISDIR(st->st_mode)) return Fail(err::AccessDenied);
  if (!S_ISLNK(st->st_mode)) {
    if (IsReadOnly(*st)) return Fail(err::AccessDenied);
    if (InUse(*st)) return Fail(err::SharingViolation);
  }
  if (::unlinkat(held->Folder.Get(), held->Leaf.c_str(), 0) != 0) {
    return Fail(detail::WinError(errno));
  }
  return true;
}

bool RenameListedFile(std::string_view from, std::string_view to, const FileIdentity& expected,
                      bool replace, FolderLinks links) {
  if (const auto fault = TakeFault(Op::Rename); fault.Error) return Fail(fault.Error);
  const auto held = OpenParent(from, links);
  if (!held) return false;
  const auto hostTo = detail::HostPathOrFail(to);
  if (!hostTo) return false;
  const size_t cut = hostTo->rfind('/');
  const std::string toLeaf = hostTo->substr(cut + 1);
  if (held->Host.size() <= held->Leaf.size() ||
      held->Host.compare(0, held->Host.size() - held->Leaf.size(), *hostTo, 0, cut + 1) != 0 ||
      held->Host.size() - held->Leaf.size() != cut + 1) {
    return Fail(err::InvalidParameter);  // another folder
  }
  const int folder = held->Folder.Get();
  const auto st = StatIn(*held);
  if (!st) return false;
  if (!Same(*st, expected)) return Fail(err::FileNotFound);
  if (InUse(*st)) return Fail(err::SharingViolation);
  struct stat target {};
  const bool targetExists = ::fstatat(folder, toLeaf.c_str(), &target, AT_SYMLINK_NOFOLLOW) == 0;
  if (replace && targetExists) {
    if (S_ISDIR(target.st_mode) || (S_ISREG(target.st_mode) && IsReadOnly(target))) {
      return Fail(err::AccessDenied);
    }
    if (InUse(target)) return Fail(err::SharingViolation);
  }
  if (replace) {
    if (::renameat(folder, held->Leaf.c_str(), folder, toLeaf.c_str()) != 0) {
      return Fail(FolderError(errno));
    }
  } else if (::renameat2(folder, held->Leaf.c_str(), folder, toLeaf.c_str(), RENAME_NOREPLACE) !=
             0) {
    if (errno == EEXIST) return Fail(err::AlreadyExists);
    if (errno != EINVAL && errno != ENOSYS) return Fail(FolderError(errno));
    // File systems without the no-replace rename: check, then rename.
    if (targetExists) return Fail(err::AlreadyExists);
    if (::renameat(folder, held->Leaf.c_str(), folder, toLeaf.c_str()) != 0) {
      return Fail(FolderError(errno));
    }
  }
  // Swapped in between the check and the rename: the newcomer goes back
  // where it came from and does not become the named file.
  struct stat placed {};
  if (::fstatat(folder, toLeaf.c_str(), &placed, AT_SYMLINK_NOFOLLOW) != 0 ||
      !Same(placed, expected)) {
    ::renameat2(folder, toLeaf.c_str(), folder, held->Leaf.c_str(), RENAME_NOREPLACE);
    return Fail(err::FileNotFound);
  }
  return true;
}

bool LimitPermissions(std::string_view path, uint32_t allowed) {
  const auto held = OpenParentNoLinks(path);
  if (!held) return false;
  const auto st = StatIn(*held);
  if (!st) return false;
  if (S_ISLNK(st->st_mode)) return Fail(err::AccessDenied);
  const mode_t mode = st->st_mode & 07777;
  const mode_t limited = mode & ~(0777 & ~static_cast<mode_t>(allowed));
  if (limited == mode) return true;
  if (::fchmodat(held->Folder.Get(), held->Leaf.c_str(), limited, AT_SYMLINK_NOFOLLOW) != 0) {
    return Fail(detail::WinError(errno));
  }
  return true;
}

bool SyncFolder(std::string_view folder) {
  if (const auto fault = TakeFault(Op::Flush); fault.Error) return Fail(fault.Error);
  const auto host = detail::HostPathOrFail(folder);
  if (!host) return false;
  UniqueFd fd(::open(host->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() < 0) return Fail(detail::PathError(errno, *host));
  if (::fsync(fd.Get()) != 0 && errno != EINVAL) {
    return Fail(detail::WinError(errno, err::WriteFault));
  }
  return true;
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
