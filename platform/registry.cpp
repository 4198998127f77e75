// The registry: a tree of keys with text values, kept in one text file.
//
// File form (one key per "[...]" line, its values below it):
//   [HKEY_CURRENT_USER\Software\Example]
//   @="the key's default value"
//   "Name"="text with \"quotes\", \\ and \n escaped"
//
// Every change rewrites the whole file through a temporary file and a
// rename, so a reader sees either the old store or the new one.
#include "platform/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/seams.h"
#include "platform/shell_desktop.h"

namespace platform {
namespace {

using detail::EqualsNoCase;

constexpr std::array<std::string_view, 3> kRootNames{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                     "HKEY_LOCAL_MACHINE"};

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool NameBefore(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

struct Value {
  std::string Name;
  std::string Data;
};

struct Key {
  std::string Name;
  std::vector<Key> Subkeys;  // kept in name order
  std::vector<Value> Values;

  Key* Find(std::string_view name) {
    for (auto& k : Subkeys) {
      if (EqualsNoCase(k.Name, name)) return &k;
    }
    return nullptr;
  }
  Key& FindOrAdd(std::string_view name) {
    if (Key* k = Find(name)) return *k;
    const auto at = std::find_if(Subkeys.begin(), Subkeys.end(),
                                 [name](const Key& k) { return NameBefore(name, k.Name); });
    return *Subkeys.insert(at, Key{std::string(name), {}, {}});
  }
  const Value* FindValue(std::string_view name) const {
    for (const auto& v : Values) {
      if (EqualsNoCase(v.Name, name)) return &v;
    }
    return nullptr;
  }
  void SetValue(std::string_view name, std::string_view data) {
    for (auto& v : Values) {
      if (EqualsNoCase(v.Name, name)) {
        v.Data = std::string(data);
        return;
      }
    }
    Values.push_back({std::string(name), std::string(data)});
  }
};

// Key paths split at "\"; empty names are ignored, control characters refused.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
      return std::nullopt;
    }
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  return names;
}

// --- Text form -----------------------------------------------------------------

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one quoted text at the front of `line`, consuming it.
std::optional<std::string> Unquote(std::string_view& line) {
  if (line.empty() || line[0] != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      line.remove_prefix(i + 1);
      return out;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= line.size()) return std::nullopt;
    switch (line[i]) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        if (i + 2 >= line.size() || HexDigit(line[i + 1]) < 0 || HexDigit(line[i + 2]) < 0) {
          return std::nullopt;
        }
        out += static_cast<char>(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

void WriteKey(const Key& key, const std::string& path, std::string& out) {
  // Roots need a line only for values of their own; every other key has one, so empty keys persist.
  if (path.find('\\') != std::string::npos || !key.Values.empty()) {
    out += "[" + path + "]\n";
    for (const auto& v : key.Values) {
      out += (v.Name.empty() ? std::string("@") : Quote(v.Name)) + "=" + Quote(v.Data) + "\n";
    }
  }
  for (const auto& sub : key.Subkeys) WriteKey(sub, path + "\\" + sub.Name, out);
}

using Roots = std::array<Key, 3>;

Roots EmptyRoots() {
  Roots roots;
  for (size_t i = 0; i < roots.size(); ++i) roots[i].Name = std::string(kRootNames[i]);
  return roots;
}

std::string Serialize(const Roots& roots) {
  std::string out = "; VEK 2003 registry\n";
  for (const auto& root : roots) WriteKey(root, root.Name, out);
  return out;
}

// The key named by a "[...]" line, created as needed; nothing for a bad line.
Key* KeyOfHeader(Roots& roots, std::string_view header) {
  const auto names = SplitKeyPath(header);
  if (!names || names->empty()) return nullptr;
  for (auto& root : roots) {
    if (!EqualsNoCase(root.Name, names->front())) continue;
    Key* key = &root;
    for (size_t i = 1; i < names->size(); ++i) key = &key->FindOrAdd((*names)[i]);
    return key;
  }
  return nullptr;
}

void ParseValueLine(Key& key, std::string_view line) {
  std::optional<std::string> name;
  if (!line.empty() && line[0] == '@') {
    name = std::string();
    line.remove_prefix(1);
  } else {
    name = Unquote(line);
  }
  if (!name || line.empty() || line[0] != '=') return;
  line.remove_prefix(1);
  const auto data = Unquote(line);
  if (data && line.empty()) key.SetValue(*name, *data);
}

Roots Parse(std::string_view text) {
  Roots roots = EmptyRoots();
  Key* current = nullptr;
  for (auto line : detail::SplitLines(text)) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    const size_t close = line.find_last_of(']');
    if (line[0] == '[' && close != std::string_view::npos) {
      current = KeyOfHeader(roots, line.substr(1, close - 1));
    } else if (current) {
      ParseValueLine(*current, line);
    }
  }
  return roots;
}

// --- Answers from the host -------------------------------------------------------

std::optional<std::string> NonEmpty(std::string text) {
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<std::string> HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  return NonEmpty(name);
}

std::optional<std::string> OwnerName() {
  const auto user = detail::UserDatabaseRecord();
  if (!user) return std::nullopt;
  return NonEmpty(user->Gecos.substr(0, user->Gecos.find(',')));
}

// XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop.
std::string DesktopHostFolder() {
  const std::string home = detail::HomeFolder();
  const auto dirs =
      detail::ReadHostFile(detail::XdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
  constexpr std::string_view kKey = "XDG_DESKTOP_DIR=\"";
  const size_t at = dirs ? dirs->find(kKey) : std::string::npos;
  if (at != std::string::npos) {
    const size_t begin = at + kKey.size();
    const size_t end = dirs->find('"', begin);
    std::string folder = dirs->substr(begin, end == std::string::npos ? end : end - begin);
    if (folder.rfind("$HOME", 0) == 0) folder = home + folder.substr(5);
    if (!folder.empty() && folder[0] == '/') return folder;
  }
  return (home == "/" ? "" : home) + "/Desktop";
}

std::optional<std::string> DesktopFolder() {
  return ToWindowsPath(DesktopHostFolder());
}

struct HostAnswer {
  RootKey Root;
  std::string_view KeyPath;
  std::string_view ValueName;
  std::optional<std::string> (*Answer)();
};

constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

constexpr std::array kHostAnswers{
    HostAnswer{RootKey::LocalMachine, "SYSTEM\\ControlSet002\\Control\\ComputerName\\ComputerName",
               "ComputerName", HostName},
    HostAnswer{RootKey::LocalMachine, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP",
               "ComputerName", HostName},
    HostAnswer{RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
               "RegisteredOwner", OwnerName},
    HostAnswer{RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
               "RegisteredOwner", OwnerName},
    HostAnswer{RootKey::CurrentUser, kShellFolders, "Desktop", DesktopFolder},
    HostAnswer{RootKey::CurrentUser, kShellFolders, "Start Menu", DesktopEntriesFolder},
};

std::vector<std::string> NamesOf(const HostAnswer& answer) {
  return SplitKeyPath(answer.KeyPath).value_or(std::vector<std::string>());
}

// Whether the key `names` of `root` is the answer's key or one above it.
bool LeadsTo(RootKey root, const std::vector<std::string>& names, const HostAnswer& answer) {
  const auto answerNames = NamesOf(answer);
  return answer.Root == root && names.size() <= answerNames.size() &&
         std::equal(names.begin(), names.end(), answerNames.begin(),
                    [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); });
}

// --- The store ------------------------------------------------------------------

struct FileStamp {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = -1;
  int64_t ModifiedNs = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {st.st_dev, st.st_ino, st.st_size,
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool WriteWholeFile(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return ::fsync(fd) == 0;
}

// Writes `text` beside `path` and renames it over; the old file stays on any failure.
bool ReplaceAtomically(const std::string& path, const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  const bool written = WriteWholeFile(fd, text);
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(temp.c_str(), path.c_str()) == 0) return true;
  ::unlink(temp.c_str());
  return false;
}

class Store {
 public:
  std::mutex Mutex;

  void SetFile(std::optional<std::string> path) {
    override_ = std::move(path);
    if (override_ && override_->empty()) override_.reset();
    loaded_ = false;
  }

  std::string File() const {
    if (override_) return *override_;
    return detail::XdgFolder("XDG_DATA_HOME", ".local/share") + "/vek2003/registry";
  }

  // The tree as the file holds it now (reloaded when another writer changed it).
  Roots& Tree() {
    const std::string path = File();
    const FileStamp stamp = StampOf(path);
    if (!loaded_ || !(stamp == stamp_)) {
      roots_ = Parse(detail::ReadHostFile(path).value_or(std::string()));
      stamp_ = stamp;
      loaded_ = true;
    }
    return roots_;
  }

  // Writes the tree; on failure the file is untouched and the tree is reread from it.
  bool Save() {
    const std::string path = File();
    if (!ReplaceAtomically(path, Serialize(roots_))) {
      loaded_ = false;
      return false;
    }
    stamp_ = StampOf(path);
    return true;
  }

 private:
  std::optional<std::string> override_;
  bool loaded_ = false;
  FileStamp stamp_;
  Roots roots_ = EmptyRoots();
};

Store& TheStore() {
  static Store store;
  return store;
}

Key& RootOf(Roots& roots, RootKey root) {
  return roots[static_cast<size_t>(root)];
}

// The stored key at `names`, or nothing.
Key* StoredKey(Roots& roots, RootKey root, const std::vector<std::string>& names) {
  Key* key = &RootOf(roots, root);
  for (const auto& name : names) {
    key = key->Find(name);
    if (!key) return nullptr;
  }
  return key;
}

bool AnsweredKey(RootKey root, const std::vector<std::string>& names) {
  return std::any_of(kHostAnswers.begin(), kHostAnswers.end(),
                     [&](const HostAnswer& a) { return LeadsTo(root, names, a); });
}

bool KeyExists(Roots& roots, RootKey root, const std::vector<std::string>& names) {
  return StoredKey(roots, root, names) || AnsweredKey(root, names);
}

Key& MakeKey(Roots& roots, RootKey root, const std::vector<std::string>& names) {
  Key* key = &RootOf(roots, root);
  for (const auto& name : names) key = &key->FindOrAdd(name);
  return *key;
}

}  // namespace

std::string_view RootKeyName(RootKey root) {
  return kRootNames[static_cast<size_t>(root)];
}

bool RegKeyExists(RootKey root, std::string_view keyPath) {
  const auto names = SplitKeyPath(keyPath);
  if (!names) return false;
  std::lock_guard lock(TheStore().Mutex);
  return KeyExists(TheStore().Tree(), root, *names);
}

bool RegCreateKey(RootKey root, std::string_view keyPath) {
  const auto names = SplitKeyPath(keyPath);
  if (!names) return false;
  Store& store = TheStore();
  std::lock_guard lock(store.Mutex);
  Roots& roots = store.Tree();
  if (StoredKey(roots, root, *names)) return true;
  MakeKey(roots, root, *names);
  return store.Save();
}

bool RegDeleteKey(RootKey root, std::string_view keyPath) {
  const auto names = SplitKeyPath(keyPath);
  if (!names || names->empty()) return false;
  Store& store = TheStore();
  std::lock_guard lock(store.Mutex);
  Roots& roots = store.Tree();
  const std::vector<std::string> parentNames(names->begin(), names->end() - 1);
  Key* parent = StoredKey(roots, root, parentNames);
  Key* key = parent ? parent->Find(names->back()) : nullptr;
  // A key that only the host answers for has nothing stored to remove.
  if (!key) return AnsweredKey(root, *names);
  std::erase_if(parent->Subkeys, [&](const Key& k) { return &k == key; });
  return store.Save();
}

std::optional<std::string> RegReadString(RootKey root, std::string_view keyPath,
                                         std::string_view valueName) {
  const auto names = SplitKeyPath(keyPath);
  if (!names) return std::nullopt;
  {
    std::lock_guard lock(TheStore().Mutex);
    if (const Key* key = StoredKey(TheStore().Tree(), root, *names)) {
      if (const Value* value = key->FindValue(valueName)) return value->Data;
    }
  }
  for (const auto& answer : kHostAnswers) {
    if (EqualsNoCase(answer.ValueName, valueName) && LeadsTo(root, *names, answer) &&
        names->size() == NamesOf(answer).size()) {
      return answer.Answer();
    }
  }
  return std::nullopt;
}

bool RegWriteString(RootKey root, std::string_view keyPath, std::string_view valueName,
                    std::string_view value) {
  const auto names = SplitKeyPath(keyPath);
  if (!names) return false;
  Store& store = TheStore();
  std::lock_guard lock(store.Mutex);
  Roots& roots = store.Tree();
  if (!KeyExists(roots, root, *names)) return false;
  MakeKey(roots, root, *names).SetValue(valueName, value);
  return store.Save();
}

std::vector<std::string> RegSubKeys(RootKey root, std::string_view keyPath) {
  const auto names = SplitKeyPath(keyPath);
  if (!names) return {};
  std::vector<std::string> subkeys;
  const auto add = [&subkeys](const std::string& name) {
    const bool known = std::any_of(subkeys.begin(), subkeys.end(),
                                   [&](const std::string& s) { return EqualsNoCase(s, name); });
    if (!known) subkeys.push_back(name);
  };
  {
    std::lock_guard lock(TheStore().Mutex);
    if (const Key* key = StoredKey(TheStore().Tree(), root, *names)) {
      for (const auto& sub : key->Subkeys) add(sub.Name);
    }
  }
  for (const auto& answer : kHostAnswers) {
    const auto answerNames = NamesOf(answer);
    if (LeadsTo(root, *names, answer) && answerNames.size() > names->size()) {
      add(answerNames[names->size()]);
    }
  }
  std::sort(subkeys.begin(), subkeys.end(),
            [](const std::string& a, const std::string& b) { return NameBefore(a, b); });
  return subkeys;
}

void seam::UseRegistryFile(std::optional<std::string> hostPath) {
  std::lock_guard lock(TheStore().Mutex);
  TheStore().SetFile(std::move(hostPath));
}

std::string RegistryFile() {
  std::lock_guard lock(TheStore().Mutex);
  return TheStore().File();
}

}  // namespace platform
