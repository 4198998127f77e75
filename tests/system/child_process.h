#pragma once
// A program that a system test starts and ends: its own process, watched
// through a process descriptor, so waiting for its end is bounded by a
// deadline and needs no polling.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vektest {

struct TChildOptions {
  std::filesystem::path Folder = ".";  // where it starts
  // Set in its environment on top of this process's own.
  std::vector<std::pair<std::string, std::string>> Environment;
  std::filesystem::path Output = "/dev/null";  // its standard output and error
  // An open descriptor the program finds as descriptor 3 (-1: none).
  int PassedDescriptor = -1;
  // Runs it in a network namespace of its own, where nothing is connected,
  // so that nothing it sends can leave the machine. Needs the privilege to
  // make one (root); without it the program shares this process's network.
  bool OwnNetwork = false;
};

class TChildProcess {
 public:
  // Starts `program` (looked up in PATH when it has no "/") with
  // `arguments`; nothing when it cannot be started at all. A program that
  // is not found ends at once with status 127.
  static std::unique_ptr<TChildProcess> Start(const std::string& program,
                                              const std::vector<std::string>& arguments,
                                              const TChildOptions& options);
  // Ends the program (SIGKILL) if it still runs.
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Waits for its end: the exit status, or 128 + the signal that ended it;
  // nothing when `timeout` passes first.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  // Asks it to end (SIGTERM) and waits for that.
  std::optional<int> Stop(std::chrono::milliseconds timeout);
  // Whether it has ended, without waiting.
  bool HasEnded();
  pid_t Id() const { return pid_; }

 private:
  TChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}

  pid_t pid_;
  int pidfd_;
  std::optional<int> status_;
};

}  // namespace vektest
