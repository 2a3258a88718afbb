// One HTTP GET through the platform's client: WinInet in the plugin, libcurl in
// the native tools and tests. The response is read in chunks by the caller.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kivo {

// Cuts off the requests that carry it: a request not yet sent is refused, a
// download stops at its next chunk, and a client whose waits for the network
// are short (curl polls) gives up within one of them. A stop cancels before it
// waits for the workers, so that a stalled server holds it up for one wait at
// most.
class THttpCancel {
 public:
  void Cancel() { cancelled_.store(true, std::memory_order_release); }
  bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> cancelled_{false};
};

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
  // Connecting, sending and every wait for data give up after this.
  std::chrono::milliseconds Timeout{120000};
  std::shared_ptr<THttpCancel> Cancel;  // null: never cancelled
};

class IHttpResponse {
 public:
  static constexpr int kReadFailed = -1;
  static constexpr int kReadTimedOut = -2;

  virtual ~IHttpResponse() = default;
  // The body size the server announced (Content-Length); 0 when it announced none.
  virtual std::int64_t AnnouncedSize() = 0;
  // Up to `size` bytes of the body into `buffer`: the count, 0 at the end of
  // the body, kReadFailed or kReadTimedOut.
  virtual int Read(char* buffer, int size) = 0;
};

class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // Sends the request and returns once the response headers are in; null when
  // the client cannot be set up, the connection fails, sending fails or the
  // request is cancelled (a cancelled response's reads fail). The
  // status code is not judged: an error page is a response like any other.
  virtual std::unique_ptr<IHttpResponse> Get(const THttpRequest& request) = 0;
};

// The platform's client; safe to use from several threads at once.
IHttpClient& PlatformHttpClient();

}  // namespace kivo
