// Windows attributes and file times over host files. Read-only is the
// owner's write bit; the other bits live in the extended attribute
// user.DOSATTRIB as text ("0x21"), where the file system keeps one.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <vector>

#include "platform/internal.h"
#include "platform/paths.h"

namespace platform {
namespace {

constexpr const char* kDosAttribute = "user.DOSATTRIB";
// The bits kept in the extended attribute; read-only and folder come from the host.
constexpr uint32_t kStoredBits =
    attr::Hidden | attr::System | attr::Archive | attr::Temporary | attr::Compressed;

std::optional<uint32_t> ParseDosAttribute(std::string_view text) {
  if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
  if (ec != std::errc() || end == text.data() + 2) return std::nullopt;
  return value;
}

std::optional<uint32_t> ReadDosAttribute(const std::string& host) {
  std::vector<char> buffer(64);
  ssize_t n = ::getxattr(host.c_str(), kDosAttribute, buffer.data(), buffer.size());
  if (n < 0 && errno == ERANGE) {
    // Some writers append binary data after the text; fetch it whole.
    n = ::getxattr(host.c_str(), kDosAttribute, nullptr, 0);
    if (n <= 0) return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    n = ::getxattr(host.c_str(), kDosAttribute, buffer.data(), buffer.size());
  }
  if (n <= 0) return std::nullopt;
  return ParseDosAttribute(std::string_view(buffer.data(), static_cast<size_t>(n)));
}

timespec ToTimespec(const statx_timestamp& t) {
  timespec ts{};
  ts.tv_sec = t.tv_sec;
  ts.tv_nsec = t.tv_nsec;
  return ts;
}

bool IsSet(const statx_timestamp& t) {
  return t.tv_sec != 0 || t.tv_nsec != 0;
}

// Sets the owner's write bit as asked, without following a link.
bool ChangeMode(const std::string& host, mode_t mode) {
  if (::fchmodat(AT_FDCWD, host.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0) return true;
  return detail::Fail(detail::WinError(errno));
}

// Stores the bits; where the file system keeps no extended attributes they are dropped.
bool StoreDosAttribute(const std::string& host, uint32_t bits) {
  char text[16];
  const int length = std::snprintf(text, sizeof text, "0x%x", bits);
  if (::lsetxattr(host.c_str(), kDosAttribute, text, static_cast<size_t>(length), 0) == 0) {
    return true;
  }
  if (errno == ENOTSUP) return true;
  return detail::Fail(detail::WinError(errno));
}

}  // namespace

namespace detail {

std::optional<HostEntry> Examine(const std::string& host) {
  struct statx stx {};
  constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME;
  if (::statx(AT_FDCWD, host.c_str(), 0, kWanted, &stx) != 0 &&
      (errno != ENOENT ||
       ::statx(AT_FDCWD, host.c_str(), AT_SYMLINK_NOFOLLOW, kWanted, &stx) != 0)) {
    SetLastError(PathError(errno, host));
    return std::nullopt;
  }
  HostEntry entry;
  entry.Mode = stx.stx_mode;
  entry.Size = static_cast<int64_t>(stx.stx_size);
  const bool born = (stx.stx_mask & STATX_BTIME) != 0 && IsSet(stx.stx_btime);
  entry.Times.Created = ToCalendar(ToTimespec(born ? stx.stx_btime : stx.stx_mtime));
  entry.Times.Modified = ToCalendar(ToTimespec(stx.stx_mtime));
  entry.Times.Accessed = ToCalendar(ToTimespec(stx.stx_atime));
  entry.Times.AccessedSet = IsSet(stx.stx_atime);
  return entry;
}

uint32_t AttributesOf(const std::string& host, std::string_view name, uint32_t mode) {
  uint32_t attributes = 0;
  const bool folder = S_ISDIR(mode);
  if ((mode & S_IWUSR) == 0) attributes |= attr::ReadOnly;
  if (folder) attributes |= attr::Directory;
  if (const auto stored = ReadDosAttribute(host)) {
    attributes |= *stored & kStoredBits;
  } else if (!folder) {
    attributes |= attr::Archive;
  }
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") attributes |= attr::Hidden;
  return attributes == 0 ? attr::Normal : attributes;
}

}  // namespace detail

std::optional<uint32_t> GetAttributes(std::string_view path) {
  const auto host = detail::HostPathOrFail(path);
  if (!host) return std::nullopt;
  const auto entry = detail::Examine(*host);
  if (!entry) return std::nullopt;
  std::string_view trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) {
    trimmed.remove_suffix(1);
  }
  return detail::AttributesOf(*host, ExtractFileName(trimmed), entry->Mode);
}

bool SetAttributes(std::string_view path, uint32_t attributes) {
  if (const auto fault = detail::TakeFault(faults::Op::SetAttributes); fault.Error) {
    return detail::Fail(fault.Error);
  }
  const auto host = detail::HostPathOrFail(path);
  if (!host) return false;
  struct stat st {};
  if (::lstat(host->c_str(), &st) != 0) {
    return detail::Fail(detail::PathError(errno, *host));
  }
  if (S_ISLNK(st.st_mode)) return detail::Fail(err::AccessDenied);
  const mode_t mode = st.st_mode & 07777;
  const mode_t wanted = (attributes & attr::ReadOnly) ? mode & ~mode_t{S_IWUSR} : mode | S_IWUSR;
  // The extended attribute can only be written while the owner may write.
  const mode_t writable = mode | S_IWUSR;
  if (writable != mode && !ChangeMode(*host, writable)) return false;
  if (!StoreDosAttribute(*host, attributes & kStoredBits)) {
    if (writable != mode) ChangeMode(*host, mode);
    return false;
  }
  return wanted == writable || ChangeMode(*host, wanted);
}

std::optional<FileTimes> GetFileTimes(std::string_view path) {
  const auto host = detail::HostPathOrFail(path);
  if (!host) return std::nullopt;
  auto entry = detail::Examine(*host);
  if (!entry) return std::nullopt;
  return entry->Times;
}

}  // namespace platform
