#include "loopback_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace vektest {

LoopbackServer::LoopbackServer(std::string reply, bool holdReplies)
    : reply_(std::move(reply)), held_(holdReplies) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  auto* raw = reinterpret_cast<sockaddr*>(&address);
  if (::bind(listener_, raw, size) != 0 || ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, raw, &size) != 0) {
    ADD_FAILURE() << "cannot listen on the loopback interface";
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  released_.notify_all();
  ::shutdown(listener_, SHUT_RDWR);
  thread_.join();
  ::close(listener_);
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int LoopbackServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string LoopbackServer::Request() {
  std::lock_guard lock(mutex_);
  return request_;
}

bool LoopbackServer::WaitForRequests(int count, int timeoutMs) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return requests_ >= count; });
}

void LoopbackServer::Release() {
  {
    std::lock_guard lock(mutex_);
    held_ = false;
  }
  released_.notify_all();
}

// Each connection on a thread of its own, so that a held reply does not
// keep a second request from being counted.
void LoopbackServer::Serve() {
  std::vector<std::thread> answers;
  for (;;) {
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) break;
    {
      std::lock_guard lock(mutex_);
      ++requests_;
    }
    arrived_.notify_all();
    answers.emplace_back([this, client] {
      Answer(client);
      ::close(client);
    });
  }
  for (std::thread& answer : answers) answer.join();
}

void LoopbackServer::Answer(int client) {
  std::string received;
  char buffer[4096];
  ssize_t n = 0;
  while (received.find("\r\n\r\n") == std::string::npos &&
         (n = ::recv(client, buffer, sizeof buffer, 0)) > 0) {
    received.append(buffer, static_cast<size_t>(n));
  }
  std::unique_lock lock(mutex_);
  request_ = received;
  released_.wait(lock, [this] { return !held_ || stopping_; });
  if (stopping_) return;
  lock.unlock();
  size_t sent = 0;
  while (sent < reply_.size() &&
         (n = ::send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL)) > 0) {
    sent += static_cast<size_t>(n);
  }
}

std::string HttpReply(const std::string& status, const std::string& body, bool withLength) {
  std::string head = "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\n";
  if (withLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return head + "\r\n" + body;
}

}  // namespace vektest
