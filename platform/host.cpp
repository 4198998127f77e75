// Small host helpers: home and XDG folders, whole-file reads, text and path tests.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "platform/internal.h"

namespace platform::detail {

std::optional<UserRecord> UserDatabaseRecord() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
    return std::nullopt;
  }
  return UserRecord{found->pw_dir ? found->pw_dir : "", found->pw_gecos ? found->pw_gecos : ""};
}

std::string HomeFolder() {
  const char* env = std::getenv("HOME");
  if (env && env[0] == '/') return env;
  const auto user = UserDatabaseRecord();
  if (user && !user->HomeFolder.empty() && user->HomeFolder[0] == '/') return user->HomeFolder;
  return "/";
}

std::string XdgFolder(const char* variable, std::string_view fallbackBelowHome) {
  const char* env = std::getenv(variable);
  if (env && env[0] == '/') return env;
  std::string home = HomeFolder();
  if (home.back() != '/') home += '/';
  return home + std::string(fallbackBelowHome);
}

std::optional<std::string> ReadHostFile(const std::string& hostPath) {
  struct stat st {};
  if (::stat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::string CanonicalHostPath(const std::string& hostPath) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(hostPath.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : hostPath;
}

bool HostPathContains(std::string_view root, std::string_view path) {
  while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
  if (root == "/") return !path.empty() && path[0] == '/';
  if (path.substr(0, root.size()) != root) return false;
  return path.size() == root.size() || path[root.size()] == '/';
}

}  // namespace platform::detail
