// One HTTP GET through the platform's client: WinInet in the plugin, libcurl in
// the native tools and tests. The response is read in chunks by the caller.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

// Cuts off the requests that carry it: a request not yet sent is refused, a
// download stops at its next chunk, and a client whose calls block registers
// an abort that closes what they block on. A stop cancels before it waits for
// the workers, so that a stalled server holds it up for one wait at most.
class THttpCancel {
 public:
  // While it lives, its abort may run on the cancelling thread; it ends
  // after a run under way, so nothing the abort uses goes while it runs.
  class TAbort {
   public:
    TAbort() = default;
    TAbort(TAbort&& other) noexcept;
    TAbort& operator=(TAbort&& other) noexcept;
    TAbort(const TAbort&) = delete;
    TAbort& operator=(const TAbort&) = delete;
    ~TAbort();

   private:
    friend class THttpCancel;
    TAbort(std::shared_ptr<THttpCancel> owner, std::uint64_t id) : owner_(std::move(owner)), id_(id) {}
    void Release();
    std::shared_ptr<THttpCancel> owner_;
    std::uint64_t id_ = 0;
  };

  // Marks the cancel, then runs every abort registered, each once.
  void Cancel();
  bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }

  // Runs `abort` at the cancel, or at once when it came before.
  [[nodiscard]] static TAbort OnCancel(const std::shared_ptr<THttpCancel>& cancel,
                                       std::function<void()> abort);

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;  // held while an abort runs
  std::map<std::uint64_t, std::function<void()>> aborts_;
  std::uint64_t nextId_ = 1;
};

// How long a client waits for the network at each step (connecting, sending,
// each wait for data) before the request fails as timed out.
constexpr std::chrono::milliseconds kNetworkWait{30000};

struct THttpRequest {
  std::string Host;  // name or address, without a port
  int Port = 80;
  bool Secure = false;       // TLS
  std::string Target = "/";  // sent as it stands in the request line
  std::string Proxy;         // "host:port"; empty: the system's settings
  std::string ProxyBypass;
  // Answer only the proxy's challenge (407), never the origin's (401).
  std::string ProxyUser;
  std::string ProxyPassword;
  std::vector<std::string> Headers;  // "Name: value", sent in this order
  bool Revalidate = false;           // a cached copy must be revalidated with the server
  bool BypassCache = false;          // neither taken from nor written to the platform's cache
  bool AcceptCompressed = false;     // the body may come gzip or deflate encoded; it is read decoded
  // The whole request gives up after this; each step after Wait.
  std::chrono::milliseconds Timeout{120000};
  std::chrono::milliseconds Wait = kNetworkWait;
  std::shared_ptr<THttpCancel> Cancel;  // null: never cancelled
};

class IHttpResponse {
 public:
  static constexpr int kReadFailed = -1;
  static constexpr int kReadTimedOut = -2;

  virtual ~IHttpResponse() = default;
  // The status code of the final response (after redirects and a proxy's challenge).
  virtual int Status() = 0;
  // The value of the response header `name` (any case), empty when it is
  // absent or longer than the client keeps.
  virtual std::string Header(std::string_view name) = 0;
  // The body size the server announced (Content-Length); 0 when it announced none.
  virtual std::int64_t AnnouncedSize() = 0;
  // Up to `size` bytes of the body into `buffer`: the count, 0 at the end of
  // the body, kReadFailed or kReadTimedOut.
  virtual int Read(char* buffer, int size) = 0;
};

enum class THttpError { None, Failed, TimedOut };

class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // Sends the request and returns once the response headers are in; null when
  // the client cannot be set up, the connection fails, sending fails, no
  // answer comes in time or the request is cancelled, with `error` saying
  // which (a cancelled response's reads fail). The status code is not judged:
  // an error page is a response like any other.
  virtual std::unique_ptr<IHttpResponse> Get(const THttpRequest& request, THttpError& error) = 0;
};

// The platform's client; safe to use from several threads at once.
IHttpClient& PlatformHttpClient();

}  // namespace kivo
