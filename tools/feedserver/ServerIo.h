// The pieces of kivo-test-server that its routes share: connections,
// requests, the recorder of request heads and the response helpers.
#pragma once

#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kivo::testserver {

using namespace std::chrono_literals;

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr auto kHangLimit = 60s;

struct TOptions {
  std::string StateDir;
  std::string DataDir = KIVO_TEST_DATA_DIR;
  std::string Cert;
  std::string Key;
  std::string ProxyUser = "kivo";
  std::string ProxyPassword = "secret";
  bool Daemon = false;
  bool Stop = false;
};

// ---- connections --------------------------------------------------------

class TChannel {
 public:
  virtual ~TChannel() = default;
  virtual long Receive(char* buffer, std::size_t size) = 0;  // 0 at the end, < 0 on error
  virtual bool Send(std::string_view bytes) = 0;
  virtual int Fd() const = 0;
};

class TPlainChannel final : public TChannel {
 public:
  explicit TPlainChannel(int fd) : fd_(fd) {}
  ~TPlainChannel() override {
    // Closing with unread bytes would reset the connection under the client.
    shutdown(fd_, SHUT_WR);
    char sink[512];
    while (recv(fd_, sink, sizeof sink, 0) > 0) {
    }
    close(fd_);
  }
  long Receive(char* buffer, std::size_t size) override { return recv(fd_, buffer, size, 0); }
  bool Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      const long n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  int Fd() const override { return fd_; }

 private:
  int fd_;
};

struct SslFree {
  void operator()(SSL* ssl) const { SSL_free(ssl); }
};

class TTlsChannel final : public TChannel {
 public:
  TTlsChannel(int fd, SSL_CTX* context) : fd_(fd), ssl_(SSL_new(context)) {
    if (ssl_) SSL_set_fd(ssl_.get(), fd_);
  }
  ~TTlsChannel() override {
    if (ssl_ && ready_) SSL_shutdown(ssl_.get());
    ssl_.reset();
    close(fd_);
  }
  bool Accept() {
    ready_ = ssl_ && SSL_accept(ssl_.get()) == 1;
    return ready_;
  }
  long Receive(char* buffer, std::size_t size) override {
    const int n = SSL_read(ssl_.get(), buffer, static_cast<int>(std::min<std::size_t>(size, 1 << 20)));
    return n > 0 ? n : (SSL_get_error(ssl_.get(), n) == SSL_ERROR_ZERO_RETURN ? 0 : -1);
  }
  bool Send(std::string_view bytes) override {
    while (!bytes.empty()) {
      const int n =
          SSL_write(ssl_.get(), bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  int Fd() const override { return fd_; }

 private:
  int fd_;
  std::unique_ptr<SSL, SslFree> ssl_;
  bool ready_ = false;
};

// ---- requests -----------------------------------------------------------

struct TRequest {
  std::string Head;  // request line and header lines with their CR LF, and the blank line
  std::string Method;
  std::string Target;
  std::vector<std::pair<std::string, std::string>> Headers;

  std::string Path() const { return Target.substr(0, Target.find('?')); }
  std::string Query() const {
    const std::size_t mark = Target.find('?');
    return mark == std::string::npos ? std::string() : Target.substr(mark + 1);
  }
  std::optional<std::string> Header(std::string_view name) const {
    for (const auto& [key, value] : Headers) {
      if (std::equal(key.begin(), key.end(), name.begin(), name.end(),
                     [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
        return value;
      }
    }
    return std::nullopt;
  }
};

std::optional<TRequest> ParseHead(std::string head);
std::optional<TRequest> ReadRequest(TChannel& channel);

// ---- what the server remembers -----------------------------------------

class TRecorder {
 public:
  void Record(const std::string& listener, const TRequest& request) {
    std::lock_guard lock(mutex_);
    last_[listener] = request.Head;
    byTarget_[listener + " " + request.Target] = request.Head;
  }
  std::optional<std::string> Last(const std::string& listener, const std::string& target) {
    std::lock_guard lock(mutex_);
    const auto& map = target.empty() ? last_ : byTarget_;
    const auto found = map.find(target.empty() ? listener : listener + " " + target);
    if (found == map.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> last_;
  std::map<std::string, std::string> byTarget_;
};

struct TServer {
  TOptions Options;
  TRecorder Recorder;
  SSL_CTX* Tls = nullptr;
};

// ---- responses ----------------------------------------------------------

std::string StatusLine(int status);
std::string ResponseHead(int status, const std::string& type, std::optional<std::size_t> length,
                         const std::string& extra = {});
void SendWhole(TChannel& channel, int status, const std::string& type, const std::string& body,
               const std::string& extra = {});
void SendChunked(TChannel& channel, const std::string& type, const std::string& body);
void SendSlowly(TChannel& channel);
// Waits with the response unfinished until the client gives up.
void WaitForClientToLeave(TChannel& channel);
std::string PercentDecode(std::string_view text);
std::string QueryValue(const std::string& query, const std::string& name);
std::optional<std::string> ReadData(const TOptions& options, const std::string& name);
std::string NotFoundPage(const std::string& path);
std::string RestAfter(const std::string& path, std::string_view prefix);
std::size_t SizeFrom(const std::string& text);

// Answers the test routes of TestRoutes.cpp; false for any other path.
bool ServeTestRoute(TServer& server, TChannel& channel, const TRequest& request);

}  // namespace kivo::testserver
