// The drive map and the conversions between Windows and host paths.
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/drives.h"
#include "platform/internal.h"

namespace platform {
namespace {

constexpr char kFirstFreeLetter = 'D';
constexpr char kRootLetter = 'Z';

char UpperLetter(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The names of a path, split at any of `separators`. Empty names and "." are
// dropped; ".." removes the name before it but never climbs above the top.
std::vector<std::string> SplitNames(std::string_view path, std::string_view separators) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(separators, start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.emplace_back(name);
    }
    start = end + 1;
  }
  return names;
}

std::string JoinHost(std::string root, const std::vector<std::string>& names) {
  for (const auto& name : names) {
    if (root.back() != '/') root += '/';
    root += name;
  }
  return root;
}

std::string NormalRoot(std::string_view root) {
  return JoinHost("/", SplitNames(root, "/"));
}

// The map in force, with each root's names (as written and resolved) ready for matching.
struct MapState {
  bool Built = false;
  std::vector<DriveMapping> Map;
  std::vector<std::vector<std::vector<std::string>>> RootNames;  // per mapping: written, resolved
};

MapState& State() {
  static MapState state;
  return state;
}

// Letters in upper case, roots absolute and without a trailing "/"; others are dropped.
void Install(std::vector<DriveMapping> map) {
  MapState& state = State();
  std::erase_if(map, [](const DriveMapping& m) {
    return !IsLetter(m.Letter) || m.HostRoot.empty() || m.HostRoot[0] != '/';
  });
  for (auto& mapping : map) {
    mapping.Letter = UpperLetter(mapping.Letter);
    mapping.HostRoot = NormalRoot(mapping.HostRoot);
  }
  state.RootNames.clear();
  for (const auto& mapping : map) {
    state.RootNames.push_back({SplitNames(mapping.HostRoot, "/"),
                               SplitNames(detail::CanonicalHostPath(mapping.HostRoot), "/")});
  }
  state.Map = std::move(map);
  state.Built = true;
}

std::vector<DriveMapping> BuildMap() {
  const std::string file = detail::XdgFolder("XDG_CONFIG_HOME", ".config") + "/vek2003/drives";
  if (auto text = detail::ReadHostFile(file)) return ParseDriveMapFile(*text);
  return DefaultDriveMap(MountTable(), detail::HomeFolder());
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasLetter(const std::vector<DriveMapping>& map, char letter) {
  return std::any_of(map.begin(), map.end(),
                     [letter](const DriveMapping& m) { return m.Letter == letter; });
}

size_t LastDelimiter(std::string_view windowsPath) {
  return windowsPath.find_last_of("\\/:");
}

}  // namespace

const std::vector<DriveMapping>& DriveMap() {
  if (!State().Built) Install(BuildMap());
  return State().Map;
}

void SetDriveMap(std::vector<DriveMapping> map) {
  Install(std::move(map));
}

void ResetDriveMap() {
  State() = MapState{};
}

std::vector<DriveMapping> ParseDriveMapFile(std::string_view text) {
  std::vector<DriveMapping> map;
  for (const auto rawLine : detail::SplitLines(text)) {
    const std::string_view line = Trim(rawLine);
    if (line.size() < 4 || !IsLetter(line[0]) || line[1] != ':') continue;
    const std::string_view root = Trim(line.substr(2));
    const char letter = UpperLetter(line[0]);
    if (root.empty() || root[0] != '/' || HasLetter(map, letter)) continue;
    map.push_back({letter, NormalRoot(root)});
  }
  return map;
}

std::vector<DriveMapping> DefaultDriveMap(std::string_view mountsText, const std::string& home) {
  std::vector<DriveMapping> map;
  if (!home.empty() && home[0] == '/') map.push_back({'C', NormalRoot(home)});
  char next = kFirstFreeLetter;
  std::vector<std::string> taken;
  for (const auto& mount : detail::ParseMountTable(mountsText)) {
    if (next >= kRootLetter) break;
    if (!detail::IsUnderRemovableFolder(mount.MountPoint)) continue;
    if (detail::MountDriveType(mount) == drive::Fixed) continue;
    const std::string root = NormalRoot(mount.MountPoint);
    if (std::find(taken.begin(), taken.end(), root) != taken.end()) continue;
    taken.push_back(root);
    map.push_back({next++, root});
  }
  map.push_back({kRootLetter, "/"});
  return map;
}

std::optional<std::string> DriveRoot(char letter) {
  letter = UpperLetter(letter);
  for (const auto& mapping : DriveMap()) {
    if (mapping.Letter == letter) return mapping.HostRoot;
  }
  return std::nullopt;
}

namespace detail {

bool IsAbsoluteWindowsPath(std::string_view path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' &&
         (path[2] == '\\' || path[2] == '/');
}

}  // namespace detail

std::optional<std::string> ToHostPath(std::string_view windowsPath) {
  if (!detail::IsAbsoluteWindowsPath(windowsPath) ||
      windowsPath.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  auto root = DriveRoot(windowsPath[0]);
  if (!root) return std::nullopt;
  return JoinHost(*root, SplitNames(windowsPath.substr(3), "\\/"));
}

std::optional<std::string> ToWindowsPath(std::string_view hostPath) {
  if (hostPath.empty() || hostPath[0] != '/') return std::nullopt;
  const std::vector<std::string> names = SplitNames(hostPath, "/");
  const auto& map = DriveMap();
  const MapState& state = State();
  std::optional<size_t> best;
  size_t bestLength = 0;
  for (size_t i = 0; i < map.size(); ++i) {
    for (const auto& rootNames : state.RootNames[i]) {
      const bool contains = rootNames.size() <= names.size() &&
                            std::equal(rootNames.begin(), rootNames.end(), names.begin());
      if (contains && (!best || rootNames.size() > bestLength)) {
        best = i;
        bestLength = rootNames.size();
      }
    }
  }
  if (!best) return std::nullopt;
  std::string result{map[*best].Letter, ':', '\\'};
  for (size_t i = bestLength; i < names.size(); ++i) {
    if (names[i].find('\\') != std::string::npos) return std::nullopt;
    if (i > bestLength) result += '\\';
    result += names[i];
  }
  return result;
}

std::string ExtractFilePath(std::string_view windowsPath) {
  const size_t cut = LastDelimiter(windowsPath);
  return cut == std::string_view::npos ? std::string()
                                       : std::string(windowsPath.substr(0, cut + 1));
}

std::string ExtractFileName(std::string_view windowsPath) {
  const size_t cut = LastDelimiter(windowsPath);
  return std::string(cut == std::string_view::npos ? windowsPath : windowsPath.substr(cut + 1));
}

std::string IncludeTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || result.back() != '\\') result += '\\';
  return result;
}

std::string CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return {};
  return ToWindowsPath(cwd.string()).value_or(std::string());
}

}  // namespace platform
