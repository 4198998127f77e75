#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <system_error>

namespace vektest {
namespace fs = std::filesystem;

namespace {
std::atomic<unsigned> g_dirCounter{0};
}

TempDir::TempDir() {
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate =
        base / ("vektest-" + std::to_string(::getpid()) + "-" + std::to_string(g_dirCounter++));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = fs::canonical(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Files made read-only by a test must not keep the folder alive.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

fs::path MakeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + path.string());
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return path;
}

fs::path MakeFile(const fs::path& path, std::string_view text) {
  return MakeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void UsePrivateHome(const TempDir& home) {
  const std::string h = home.path().string();
  for (const char* folder : {"config", "data", "runtime"}) fs::create_directories(home / folder);
  fs::permissions(home / "runtime", fs::perms::owner_all);
  setenv("HOME", h.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (h + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (h + "/runtime").c_str(), 1);
}

std::vector<uint8_t> PatternBytes(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 12345u;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

fs::path MakePatternFile(const fs::path& path, size_t size, uint32_t seed) {
  return MakeFile(path, PatternBytes(size, seed));
}

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ListFiles(const fs::path& folder) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::vector<uint8_t> bytes = ReadFileBytes(entry.path());
    const size_t hash = std::hash<std::string>{}(std::string(bytes.begin(), bytes.end()));
    lines.push_back(fs::relative(entry.path(), folder).string() + " " + std::to_string(hash));
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

fs::path HostPathBelow(const fs::path& root, std::string_view windowsRelative) {
  std::string relative(windowsRelative);
  for (char& c : relative) c = c == '\\' ? '/' : c;
  return relative.empty() ? root : root / relative;
}

fs::path OutputDir() {
  const char* env = std::getenv("VEK_TEST_OUTPUT");
  fs::path dir = env && *env ? fs::path(env) : fs::path(VEK_DEFAULT_TEST_OUTPUT);
  fs::create_directories(dir);
  return dir;
}

TCommandResult RunCommand(const std::vector<std::string>& arguments) {
  TCommandResult result;
  int out[2];
  if (arguments.empty() || ::pipe2(out, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  char buffer[4096];
  ssize_t n = 0;
  while (spawned == 0 &&
         ((n = ::read(out[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
    if (n > 0) result.Output.append(buffer, static_cast<size_t>(n));
  ::close(out[0]);
  int status = 0;
  if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    result.Status = WEXITSTATUS(status);
  return result;
}

ScopedEnvironment::ScopedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [name, value] : values) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->second) {
      ::setenv(it->first.c_str(), it->second->c_str(), 1);
    } else {
      ::unsetenv(it->first.c_str());
    }
  }
}

}  // namespace vektest
