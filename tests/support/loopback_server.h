#pragma once
// A small HTTP server on 127.0.0.1 for the tests of the HTTP client and the
// update check. It answers every connection with one fixed reply, at once or
// only when released (a held connection stays open, silent, until then), and
// counts the requests it has seen.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vektest {

class LoopbackServer {
 public:
  // `holdReplies`: every reply waits for Release().
  explicit LoopbackServer(std::string reply, bool holdReplies = false);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::string Url(const std::string& path) const;
  int Requests();
  // The head of the latest request.
  std::string Request();
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
  std::string request_;
  std::thread thread_;
};

// "HTTP/1.0 <status>" with a plain-text body, its length given or not.
std::string HttpReply(const std::string& status, const std::string& body, bool withLength = true);

}  // namespace vektest
