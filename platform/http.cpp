// HTTP/1.0 GET on a worker thread. Every worker is joined: when a newer
// request starts after it finished, or at program exit, when any still
// running is abandoned first.
#include "platform/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "platform/internal.h"

namespace platform {
namespace {

// What the worker and the caller share; guarded by Mutex.
struct Transfer {
  std::mutex Mutex;
  std::condition_variable Finished;
  bool Done = false;
  bool Succeeded = false;
  long Status = 0;
  std::string Body;
  std::string Error;
  std::atomic<bool> Abandoned{false};
  CURLM* Multi = nullptr;  // while the worker runs, so Abandon can wake it
  size_t MaxBody = 0;
  bool OverCap = false;

  void Finish(bool succeeded, std::string error) {
    {
      std::lock_guard lock(Mutex);
      Succeeded = succeeded;
      Error = std::move(error);
      Done = true;
    }
    Finished.notify_all();
  }
  void Abandon() {
    Abandoned = true;
    std::lock_guard lock(Mutex);
    if (Multi) curl_multi_wakeup(Multi);
  }
};

size_t ReceiveBody(char* data, size_t size, size_t count, void* context) {
  auto* transfer = static_cast<Transfer*>(context);
  const size_t bytes = size * count;
  std::lock_guard lock(transfer->Mutex);
  if (transfer->Body.size() + bytes > transfer->MaxBody) {
    transfer->OverCap = true;
    return 0;  // stops the transfer
  }
  transfer->Body.append(data, bytes);
  return bytes;
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using MultiHandle = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

EasyHandle MakeEasy(const std::string& url, Transfer& transfer, int timeoutMs, char* errorText) {
  EasyHandle easy(curl_easy_init(), &curl_easy_cleanup);
  if (!easy) return easy;
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
#if LIBCURL_VERSION_NUM >= 0x075500  // 7.85 replaced the bit mask by a list
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
#else
  curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP));
#endif
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs));
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(transfer.MaxBody));
  curl_easy_setopt(h, CURLOPT_USERAGENT, "VEK 2003");
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &ReceiveBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
  return easy;
}

// Drives the transfer until it ends or the caller abandons it.
CURLcode Perform(CURL* easy, Transfer& transfer) {
  MultiHandle multi(curl_multi_init(), &curl_multi_cleanup);
  if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  {
    std::lock_guard lock(transfer.Mutex);
    transfer.Multi = multi.get();
  }
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  int running = 1;
  while (!transfer.Abandoned) {
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int queued = 0;
      const CURLMsg* message = curl_multi_info_read(multi.get(), &queued);
      result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_RECV_ERROR;
      break;
    }
    curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
  }
  {
    std::lock_guard lock(transfer.Mutex);
    transfer.Multi = nullptr;
  }
  curl_multi_remove_handle(multi.get(), easy);
  return result;
}

void RunTransfer(const std::string& url, int timeoutMs, Transfer& transfer) {
  char errorText[CURL_ERROR_SIZE] = {};
  const EasyHandle easy = MakeEasy(url, transfer, timeoutMs, errorText);
  if (!easy) return transfer.Finish(false, "cannot start the request");
  const CURLcode result = Perform(easy.get(), transfer);
  long status = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
  {
    std::lock_guard lock(transfer.Mutex);
    transfer.Status = status;
  }
  if (transfer.Abandoned) return transfer.Finish(false, "abandoned");
  if (transfer.OverCap || result == CURLE_FILESIZE_EXCEEDED) {
    return transfer.Finish(false, "reply body over " + std::to_string(transfer.MaxBody) + " bytes");
  }
  if (result != CURLE_OK) {
    return transfer.Finish(false, errorText[0] ? errorText : curl_easy_strerror(result));
  }
  if (status < 200 || status > 299) {
    return transfer.Finish(false, "HTTP status " + std::to_string(status));
  }
  transfer.Finish(true, {});
}

// The workers not yet joined.
class Workers {
 public:
  ~Workers() {
    std::lock_guard lock(mutex_);
    for (auto& w : workers_) w.Job->Abandon();
    for (auto& w : workers_) w.Thread.join();
  }
  void Start(std::shared_ptr<Transfer> transfer, std::string url, int timeoutMs) {
    std::lock_guard lock(mutex_);
    JoinFinished();
    std::thread thread([transfer, address = std::move(url), timeoutMs] {
      RunTransfer(address, timeoutMs, *transfer);
    });
    workers_.push_back({std::move(transfer), std::move(thread)});
  }

 private:
  struct Worker {
    std::shared_ptr<Transfer> Job;
    std::thread Thread;
  };
  void JoinFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
      bool done = false;
      {
        std::lock_guard lock(it->Job->Mutex);
        done = it->Job->Done;
      }
      if (!done) {
        ++it;
        continue;
      }
      it->Thread.join();  // it has only its return left to do
      it = workers_.erase(it);
    }
  }
  std::mutex mutex_;
  std::list<Worker> workers_;
};

Workers& TheWorkers() {
  static Workers workers;
  return workers;
}

class Request final : public HttpRequest {
 public:
  explicit Request(std::shared_ptr<Transfer> transfer) : transfer_(std::move(transfer)) {}
  // Nobody can read the answer any more, so the transfer need not go on.
  ~Request() override { transfer_->Abandon(); }

  bool Done() const override {
    std::lock_guard lock(transfer_->Mutex);
    return transfer_->Done;
  }
  bool Wait(int timeoutMs) override {
    std::unique_lock lock(transfer_->Mutex);
    return transfer_->Finished.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                        [this] { return transfer_->Done; });
  }
  bool Succeeded() const override {
    std::lock_guard lock(transfer_->Mutex);
    return transfer_->Done && transfer_->Succeeded;
  }
  long Status() const override {
    std::lock_guard lock(transfer_->Mutex);
    return transfer_->Status;
  }
  std::string Body() const override {
    std::lock_guard lock(transfer_->Mutex);
    return transfer_->Body;
  }
  std::string Error() const override {
    std::lock_guard lock(transfer_->Mutex);
    return transfer_->Error;
  }
  void Abandon() override { transfer_->Abandon(); }

 private:
  std::shared_ptr<Transfer> transfer_;
};

bool IsHttpAddress(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  return url.size() > kScheme.size() &&
         detail::EqualsNoCase(url.substr(0, kScheme.size()), kScheme);
}

}  // namespace

std::shared_ptr<HttpRequest> HttpGet(std::string_view url, size_t maxBody, int timeoutMs) {
  static std::once_flag curlReady;
  std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  auto transfer = std::make_shared<Transfer>();
  transfer->MaxBody = maxBody;
  auto request = std::make_shared<Request>(transfer);
  if (!IsHttpAddress(url) || url.find('\0') != std::string_view::npos) {
    transfer->Finish(false, "not an http:// address");
  } else {
    TheWorkers().Start(transfer, std::string(url), std::max(timeoutMs, 1));
  }
  return request;
}

}  // namespace platform
