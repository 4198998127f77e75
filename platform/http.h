#pragma once
// A blocking-style HTTP/1.0 GET that runs on a worker thread, so the caller
// can keep its message loop turning while it waits.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  // The request has finished, one way or the other.
  virtual bool Done() const = 0;
  // Waits for the end, at most `timeoutMs`; true when it has ended.
  virtual bool Wait(int timeoutMs) = 0;
  // A 2xx status and a body read in full (within the cap).
  virtual bool Succeeded() const = 0;
  virtual long Status() const = 0;        // 0 when no reply came
  virtual std::string Body() const = 0;   // the reply body
  virtual std::string Error() const = 0;  // what went wrong, empty on success
  // The caller has lost interest: the transfer is stopped as soon as possible.
  virtual void Abandon() = 0;
};

inline constexpr size_t HttpBodyCap = 64 * 1024;

// Starts GET of an "http://host[:port]/path" address (port 80 when none is
// given) with HTTP/1.0. A status other than 2xx, a body over `maxBody`
// bytes, a time-out and any transport failure make the request fail.
std::shared_ptr<HttpRequest> HttpGet(std::string_view url, size_t maxBody = HttpBodyCap,
                                     int timeoutMs = 30000);

}  // namespace platform
