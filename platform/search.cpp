// Directory search with Windows masks and attribute filters.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/files.h"
#include "platform/internal.h"

namespace platform {
namespace {

// Entries carrying one of these bits need it in the caller's filter.
constexpr uint32_t kFilteredBits = attr::Hidden | attr::System | attr::Directory | attr::VolumeId;

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::optional<SearchRec> Describe(const std::string& folderHost, const std::string& name) {
  const std::string host = folderHost == "/" ? "/" + name : folderHost + "/" + name;
  const auto entry = detail::Examine(host);
  if (!entry) return std::nullopt;  // vanished while we looked
  SearchRec rec;
  rec.Name = name;
  rec.Attr = detail::AttributesOf(host, name, entry->Mode);
  rec.Size = (rec.Attr & attr::Directory) ? 0 : entry->Size;
  rec.Times = entry->Times;
  return rec;
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask == "*.*") return true;
  size_t n = 0, m = 0;
  size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      // Let the last "*" swallow one more character and try again.
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<SearchRec> FindFiles(std::string_view pathWithMask, uint32_t attrFilter) {
  std::vector<SearchRec> found;
  const size_t cut = pathWithMask.find_last_of("\\/");
  if (cut == std::string_view::npos) {
    detail::SetLastError(err::PathNotFound);
    return found;
  }
  const std::string_view mask = pathWithMask.substr(cut + 1);
  const auto folder = detail::HostPathOrFail(pathWithMask.substr(0, cut + 1));
  if (!folder) return found;
  // An exact name is looked up directly, whatever the size of its folder;
  // one that is not there takes the search below, which tells why.
  if (!mask.empty() && mask != "." && mask != ".." &&
      mask.find_first_of("*?") == std::string_view::npos) {
    if (auto rec = Describe(*folder, std::string(mask))) {
      if ((rec->Attr & ~attrFilter & kFilteredBits) == 0) {
        found.push_back(std::move(*rec));
      } else {
        detail::SetLastError(err::FileNotFound);
      }
      return found;
    }
  }
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder->c_str()));
  if (!dir) {
    detail::SetLastError(detail::FolderError(errno));
    return found;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name.find('\\') != std::string::npos) continue;
    if (!MatchesMask(name, mask)) continue;
    auto rec = Describe(*folder, name);
    if (rec && (rec->Attr & ~attrFilter & kFilteredBits) == 0) found.push_back(std::move(*rec));
  }
  std::sort(found.begin(), found.end(),
            [](const SearchRec& a, const SearchRec& b) { return a.Name < b.Name; });
  if (found.empty()) detail::SetLastError(err::FileNotFound);
  return found;
}

}  // namespace platform
