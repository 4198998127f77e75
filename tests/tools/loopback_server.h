#pragma once
// A small HTTP server on 127.0.0.1 for the update check's tests. It answers
// every connection with one fixed reply, at once or only when released, and
// counts the requests it has seen.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace toolstest {

class LoopbackServer {
 public:
  // `holdReplies`: every reply waits for Release().
  explicit LoopbackServer(std::string reply, bool holdReplies = false);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::string Url(const std::string& path) const;
  int Requests();
  // Waits until `count` requests have come in, at most `timeoutMs`.
  bool WaitForRequests(int count, int timeoutMs);
  // Lets held replies go.
  void Release();

 private:
  void Serve();
  void Answer(int client);

  std::string reply_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable released_;
  std::condition_variable arrived_;
  bool held_ = false;
  bool stopping_ = false;
  int requests_ = 0;
  std::thread thread_;
};

// "HTTP/1.0 <status>" with a plain-text body.
std::string HttpReply(const std::string& status, const std::string& body);

}  // namespace toolstest
