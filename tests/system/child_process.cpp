#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>

extern char** environ;

namespace vektest {

namespace {

constexpr int PassedDescriptorNumber = 3;
constexpr int NotFoundStatus = 127;

// NUL-terminated pointers into `texts`, as exec wants them.
std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// This process's environment with `changes` applied, as "NAME=value" texts.
std::vector<std::string> MergedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& changes) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : changes) merged[name] = value;
  std::vector<std::string> texts;
  for (const auto& [name, value] : merged) texts.push_back(name + "=" + value);
  return texts;
}

// In the new process, between fork and exec: only calls that are safe there.
[[noreturn]] void BecomeProgram(const char* folder, const char* output, int passed, bool ownNetwork,
                                char** argv, char** envp) {
  if (ownNetwork) ::unshare(CLONE_NEWNET);
  if (::chdir(folder) != 0) ::_exit(NotFoundStatus);
  const int out = ::open(output, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) ::_exit(NotFoundStatus);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(out, STDERR_FILENO);
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (in >= 0) ::dup2(in, STDIN_FILENO);
  if (passed == PassedDescriptorNumber) {
    ::fcntl(passed, F_SETFD, 0);  // keep it open across exec
  } else if (passed >= 0) {
    ::dup2(passed, PassedDescriptorNumber);  // the copy does not close on exec
  }
  ::execvpe(argv[0], argv, envp);
  ::_exit(NotFoundStatus);
}

int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

}  // namespace

std::unique_ptr<TChildProcess> TChildProcess::Start(const std::string& program,
                                                    const std::vector<std::string>& arguments,
                                                    const TChildOptions& options) {
  std::vector<std::string> argTexts = {program};
  argTexts.insert(argTexts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> envTexts = MergedEnvironment(options.Environment);
  std::vector<char*> argv = PointersTo(argTexts);
  std::vector<char*> envp = PointersTo(envTexts);
  const std::string folder = options.Folder.string();
  const std::string output = options.Output.string();

  const pid_t pid = ::fork();
  if (pid < 0) return nullptr;
  if (pid == 0) {
    BecomeProgram(folder.c_str(), output.c_str(), options.PassedDescriptor, options.OwnNetwork,
                  argv.data(), envp.data());
  }
  const auto pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return nullptr;
  }
  return std::unique_ptr<TChildProcess>(new TChildProcess(pid, pidfd));
}

TChildProcess::~TChildProcess() {
  if (!HasEnded()) {
    ::kill(pid_, SIGKILL);
    WaitForExit(std::chrono::milliseconds(-1));
  }
  ::close(pidfd_);
}

std::optional<int> TChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (status_) return status_;
  pollfd ready{pidfd_, POLLIN, 0};
  const int count = ::poll(&ready, 1, static_cast<int>(timeout.count()));
  if (count <= 0) return std::nullopt;
  int waitStatus = 0;
  if (::waitpid(pid_, &waitStatus, 0) != pid_) return std::nullopt;
  status_ = StatusOf(waitStatus);
  return status_;
}

std::optional<int> TChildProcess::Stop(std::chrono::milliseconds timeout) {
  if (!HasEnded()) ::kill(pid_, SIGTERM);
  return WaitForExit(timeout);
}

bool TChildProcess::HasEnded() {
  return WaitForExit(std::chrono::milliseconds(0)).has_value();
}

}  // namespace vektest
