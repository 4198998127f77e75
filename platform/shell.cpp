// Opening files and addresses with the desktop's handlers, and resolving
// command-line paths.
#include "platform/shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/internal.h"
#include "platform/paths.h"
#include "platform/seams.h"

namespace platform {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         detail::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// "http://...", "mailto:..." and the like: a scheme of two or more characters
// (a single letter before ":" is a drive).
bool IsAddress(std::string_view target) {
  const size_t colon = target.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = target[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// Runs in the forked child: a new session, a grandchild that becomes the
// helper, and an exit, so the helper belongs to no one here. Only calls that
// are safe after fork() in a threaded process.
[[noreturn]] void LaunchDetached(const char* program, char* const* argv, const char* folder,
                                 int reportFd) {
  ::setsid();
  const pid_t helper = ::fork();
  if (helper != 0) ::_exit(helper < 0 ? 1 : 0);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const int null = ::open("/dev/null", O_RDONLY);
  if (null >= 0) ::dup2(null, STDIN_FILENO);
  if (folder == nullptr || ::chdir(folder) == 0) ::execv(program, argv);
  const int code = errno;
  [[maybe_unused]] const ssize_t n = ::write(reportFd, &code, sizeof code);
  ::_exit(127);
}

bool Spawn(const std::vector<std::string>& args, const std::optional<std::string>& folder) {
  const std::string program = detail::FindProgram(args.front());
  if (program.empty()) return detail::Fail(err::FileNotFound);
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return detail::Fail(detail::WinError(errno));
  const pid_t child = ::fork();
  if (child == 0) {
    LaunchDetached(program.c_str(), argv.data(), folder ? folder->c_str() : nullptr, report[1]);
  }
  ::close(report[1]);
  int status = 0;
  bool launched = child > 0;
  while (launched && ::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) launched = false;
  }
  launched = launched && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  int execError = 0;
  ssize_t n = 0;
  do {
    n = launched ? ::read(report[0], &execError, sizeof execError) : 0;
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  if (!launched) return detail::Fail(err::AccessDenied);
  if (n > 0) return detail::Fail(detail::WinError(execError, err::FileNotFound));
  return true;
}

}  // namespace

namespace detail {

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char* env = std::getenv("PATH");
  std::string_view dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = dirs.find(':');
    const std::string dir(dirs.substr(0, colon));
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return {};
    dirs.remove_prefix(colon + 1);
  }
}

std::optional<std::vector<std::string>> ShellCommandFor(std::string_view target) {
  if (StartsWithNoCase(target, "mailto:")) {
    return std::vector<std::string>{"xdg-email", std::string(target)};
  }
  if (IsAddress(target)) return std::vector<std::string>{"xdg-open", std::string(target)};
  if (!IsAbsoluteWindowsPath(target)) {
    SetLastError(err::FileNotFound);
    return std::nullopt;
  }
  const auto host = HostPathOrFail(target);
  if (!host) return std::nullopt;
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) {
    SetLastError(PathError(errno, *host));
    return std::nullopt;
  }
  if (S_ISREG(st.st_mode)) {
    if (auto program = ProgramCommandFor(*host)) return program;
  }
  return std::vector<std::string>{"xdg-open", *host};
}

}  // namespace detail

bool ShellExecute(std::string_view verb, std::string_view target, std::string_view folder) {
  if (!verb.empty() && !detail::EqualsNoCase(verb, "open")) {
    return detail::Fail(err::InvalidParameter);
  }
  if (seam::ShellExecute != nullptr) {
    seam::ShellExecute(std::string(verb), std::string(target), std::string(folder));
    return true;
  }
  std::optional<std::string> hostFolder;
  if (!folder.empty()) {
    hostFolder = detail::HostPathOrFail(folder);
    if (!hostFolder) return false;
  }
  const auto command = detail::ShellCommandFor(target);
  return command && Spawn(*command, hostFolder);
}

std::string ResolveCommandLinePath(std::string_view argument) {
  if (argument.empty()) return {};
  std::string host;
  if (detail::IsAbsoluteWindowsPath(argument)) {
    host = ToHostPath(argument).value_or(std::string());
  } else if (argument[0] == '/') {
    host = std::string(argument);
  } else if (argument[0] == '\\') {
    // Rooted on the current folder's drive.
    const std::string current = CurrentDirectory();
    if (current.size() >= 2)
      host = ToHostPath(current.substr(0, 2) + std::string(argument)).value_or("");
  } else {
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    if (ec) return {};
    host = (cwd / std::string(argument)).string();
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0 && argument.find('\\') != std::string_view::npos) {
      // A relative Windows path: "docs\file.vek".
      std::string slashed(argument);
      for (char& c : slashed) c = c == '\\' ? '/' : c;
      host = (cwd / slashed).string();
    }
  }
  if (host.empty()) return {};
  std::error_code ec;
  const auto resolved = std::filesystem::canonical(host, ec);
  if (ec) return {};
  const auto status = std::filesystem::status(resolved, ec);
  if (ec || (!std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status))) {
    return {};
  }
  return ToWindowsPath(resolved.string()).value_or(std::string());
}

}  // namespace platform
