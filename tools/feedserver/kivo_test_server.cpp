// kivo-test-server: the local HTTP server of the download tests. Three
// listeners on free ports of 127.0.0.1: plain HTTP, HTTPS (when a certificate
// is given) and a forward proxy that wants Basic credentials. Every request's
// head is kept byte for byte so tests can check what a client sent.
//
//   kivo-test-server --state-dir DIR [--data-dir DIR] [--cert PEM --key PEM] [--daemon]
//   kivo-test-server --stop --state-dir DIR
//
// Started, it writes DIR/ports ("http=127.0.0.1:PORT", "proxy=...", "https=...")
// and DIR/pid; --stop ends the server named in DIR/pid. See README.md.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kivo::testserver {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t kMaxHead = 64 * 1024;
constexpr auto kHangLimit = 60s;
constexpr int kSlowPieces = 20;
constexpr std::size_t kSlowPieceBytes = 4000;
constexpr auto kSlowPause = 100ms;

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

std::optional<TRequest> ParseHead(std::string head) {
  TRequest request;
  request.Head = std::move(head);
  std::istringstream lines(request.Head);
  std::string line;
  std::getline(lines, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::istringstream first(line);
  std::string version;
  if (!(first >> request.Method >> request.Target >> version)) return std::nullopt;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    request.Headers.emplace_back(line.substr(0, colon), value);
  }
  return request;
}

std::optional<TRequest> ReadRequest(TChannel& channel) {
  std::string head;
  char buffer[4096];
  // Byte by byte would be slow; a GET has no body, so the head is all there is.
  while (head.find("\r\n\r\n") == std::string::npos) {
    if (head.size() > kMaxHead) return std::nullopt;
    const long n = channel.Receive(buffer, sizeof buffer);
    if (n <= 0) return std::nullopt;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  head.resize(head.find("\r\n\r\n") + 4);
  return ParseHead(std::move(head));
}

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

// ---- responses ----------------------------------------------------------

std::string StatusLine(int status) {
  switch (status) {
    case 200:
      return "HTTP/1.1 200 OK\r\n";
    case 404:
      return "HTTP/1.1 404 Not Found\r\n";
    case 407:
      return "HTTP/1.1 407 Proxy Authentication Required\r\n";
    case 502:
      return "HTTP/1.1 502 Bad Gateway\r\n";
    default:
      return "HTTP/1.1 " + std::to_string(status) + " Status\r\n";
  }
}

std::string ResponseHead(int status, const std::string& type, std::optional<std::size_t> length,
                         const std::string& extra = {}) {
  std::string head = StatusLine(status) + "Content-Type: " + type + "\r\n";
  head += length ? "Content-Length: " + std::to_string(*length) + "\r\n" : "Transfer-Encoding: chunked\r\n";
  // Keeps a client cache from answering for the server.
  head += "Cache-Control: no-cache, no-store\r\nConnection: close\r\n" + extra + "\r\n";
  return head;
}

void SendWhole(TChannel& channel, int status, const std::string& type, const std::string& body,
               const std::string& extra = {}) {
  if (channel.Send(ResponseHead(status, type, body.size(), extra))) channel.Send(body);
}

void SendChunked(TChannel& channel, const std::string& type, const std::string& body) {
  if (!channel.Send(ResponseHead(200, type, std::nullopt))) return;
  constexpr std::size_t kChunk = 500;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    const std::string piece = body.substr(at, kChunk);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    if (!channel.Send(size) || !channel.Send(piece) || !channel.Send("\r\n")) return;
  }
  channel.Send("0\r\n\r\n");
}

void SendSlowly(TChannel& channel) {
  const std::string piece(kSlowPieceBytes, 'x');
  if (!channel.Send(ResponseHead(200, "text/plain", piece.size() * kSlowPieces))) return;
  for (int i = 0; i < kSlowPieces; ++i) {
    if (i > 0) std::this_thread::sleep_for(kSlowPause);
    if (!channel.Send(piece)) return;
  }
}

// Waits with the response unfinished until the client gives up.
void WaitForClientToLeave(TChannel& channel) {
  const auto until = std::chrono::steady_clock::now() + kHangLimit;
  while (std::chrono::steady_clock::now() < until) {
    pollfd watch{channel.Fd(), POLLIN, 0};
    if (poll(&watch, 1, 100) > 0) {
      char sink[256];
      if (recv(channel.Fd(), sink, sizeof sink, MSG_DONTWAIT) <= 0) return;
    }
  }
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string QueryValue(const std::string& query, const std::string& name) {
  std::istringstream pairs(query);
  std::string pair;
  while (std::getline(pairs, pair, '&')) {
    if (pair.rfind(name + "=", 0) == 0) return PercentDecode(pair.substr(name.size() + 1));
  }
  return {};
}

std::optional<std::string> ReadData(const TOptions& options, const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name.find("..") != std::string::npos)
    return std::nullopt;
  std::ifstream in(fs::path(options.DataDir) / name, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string NotFoundPage(const std::string& path) {
  return "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1><p>" + path +
         " is not here.</p></body></html>\n";
}

std::string RestAfter(const std::string& path, std::string_view prefix) {
  return path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : std::string();
}

std::size_t SizeFrom(const std::string& text) {
  try {
    return static_cast<std::size_t>(std::stoull(text));
  } catch (const std::exception&) {
    return 0;
  }
}

// ---- the origin ---------------------------------------------------------

struct TServer {
  TOptions Options;
  TRecorder Recorder;
  SSL_CTX* Tls = nullptr;
};

void ServeOrigin(TServer& server, TChannel& channel) {
  const std::optional<TRequest> request = ReadRequest(channel);
  if (!request) return;
  const std::string path = request->Path();
  if (path == "/_last-request" || path == "/_last-proxy-request") {
    const std::string listener = path == "/_last-request" ? "origin" : "proxy";
    const auto head = server.Recorder.Last(listener, QueryValue(request->Query(), "for"));
    SendWhole(channel, head ? 200 : 404, "text/plain", head.value_or(""));
    return;
  }
  server.Recorder.Record("origin", *request);
  if (path == "/")
    return SendWhole(channel, 200, "text/html", "<html><body>kivo test server</body></html>\n");
  if (path == "/empty") return SendWhole(channel, 200, "application/rss+xml", "");
  if (path == "/slow") return SendSlowly(channel);
  if (path == "/hang") {
    if (channel.Send(ResponseHead(200, "application/rss+xml", 100000)) && channel.Send("<?xml ")) {
      WaitForClientToLeave(channel);
    }
    return;
  }
  if (path == "/hang-headers") return WaitForClientToLeave(channel);
  if (const std::string size = RestAfter(path, "/big/"); !size.empty()) {
    return SendWhole(channel, 200, "application/octet-stream", std::string(SizeFrom(size), 'b'));
  }
  if (const std::string size = RestAfter(path, "/big-chunked/"); !size.empty()) {
    return SendChunked(channel, "application/octet-stream", std::string(SizeFrom(size), 'b'));
  }
  if (const auto body = ReadData(server.Options, RestAfter(path, "/feeds/"))) {
    return SendWhole(channel, 200, "application/rss+xml", *body);
  }
  if (const auto body = ReadData(server.Options, RestAfter(path, "/chunked/"))) {
    return SendChunked(channel, "application/rss+xml", *body);
  }
  SendWhole(channel, 404, "text/html", NotFoundPage(path));
}

// ---- the proxy ----------------------------------------------------------

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned v = 0;
    for (std::size_t k = 0; k < 3; ++k)
      v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

int ConnectLocal(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Only local origins are served: the proxy must not reach out of the machine.
bool SplitLocalTarget(const std::string& target, int& port, std::string& path) {
  constexpr std::string_view kPrefixes[] = {"http://127.0.0.1:", "http://localhost:"};
  for (std::string_view prefix : kPrefixes) {
    if (target.rfind(prefix, 0) != 0) continue;
    const std::string rest = target.substr(prefix.size());
    const std::size_t slash = rest.find('/');
    port = static_cast<int>(SizeFrom(rest.substr(0, slash)));
    path = slash == std::string::npos ? "/" : rest.substr(slash);
    return port > 0;
  }
  return false;
}

void Forward(TChannel& channel, const TRequest& request, int port, const std::string& path) {
  const int fd = ConnectLocal(port);
  if (fd < 0) return SendWhole(channel, 502, "text/plain", "cannot reach the origin\n");
  TPlainChannel origin(fd);
  std::string head = request.Method + " " + path + " HTTP/1.1\r\n";
  for (const auto& [name, value] : request.Headers) {
    if (name.rfind("Proxy-", 0) != 0 && name != "Connection") head += name + ": " + value + "\r\n";
  }
  head += "Connection: close\r\n\r\n";
  if (!origin.Send(head)) return;
  char buffer[16384];
  for (long n; (n = origin.Receive(buffer, sizeof buffer)) > 0;) {
    if (!channel.Send(std::string_view(buffer, static_cast<std::size_t>(n)))) return;
  }
}

void ServeProxy(TServer& server, TChannel& channel) {
  const std::optional<TRequest> request = ReadRequest(channel);
  if (!request) return;
  server.Recorder.Record("proxy", *request);
  const std::string expected =
      "Basic " + Base64(server.Options.ProxyUser + ":" + server.Options.ProxyPassword);
  if (request->Header("Proxy-Authorization") != expected) {
    return SendWhole(channel, 407, "text/html",
                     "<html><body><h1>Proxy Authentication Required</h1></body></html>\n",
                     "Proxy-Authenticate: Basic realm=\"kivo-test\"\r\n");
  }
  int port = 0;
  std::string path;
  if (!SplitLocalTarget(request->Target, port, path)) {
    return SendWhole(channel, 502, "text/plain", "only local origins\n");
  }
  Forward(channel, *request, port, path);
}

// ---- listeners ----------------------------------------------------------

int Listen(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

enum class TKind { Http, Https, Proxy };

void SetReceiveTimeout(int fd, std::chrono::seconds timeout) {
  timeval value{static_cast<time_t>(timeout.count()), 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
}

void HandleConnection(TServer& server, TKind kind, int fd) {
  SetReceiveTimeout(fd, 10s);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (kind == TKind::Https) {
    TTlsChannel channel(fd, server.Tls);
    if (channel.Accept()) ServeOrigin(server, channel);
    return;
  }
  TPlainChannel channel(fd);
  if (kind == TKind::Proxy) return ServeProxy(server, channel);
  ServeOrigin(server, channel);
}

void AcceptLoop(TServer& server, TKind kind, int listener) {
  for (;;) {
    const int fd = accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    std::thread([&server, kind, fd] { HandleConnection(server, kind, fd); }).detach();
  }
}

SSL_CTX* LoadTls(const TOptions& options) {
  if (options.Cert.empty() || options.Key.empty()) return nullptr;
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  if (context == nullptr) return nullptr;
  if (SSL_CTX_use_certificate_chain_file(context, options.Cert.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(context, options.Key.c_str(), SSL_FILETYPE_PEM) != 1) {
    ERR_print_errors_fp(stderr);
    SSL_CTX_free(context);
    return nullptr;
  }
  return context;
}

// ---- start and stop -----------------------------------------------------

bool WriteFileReplacing(const fs::path& path, const std::string& text) {
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  return !ec;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The pid file may be stale; only a process of this program is ended.
bool IsOurServer(pid_t pid) {
  const std::string cmdline = ReadText("/proc/" + std::to_string(pid) + "/cmdline");
  return cmdline.find("kivo-test-server") != std::string::npos;
}

int StopServer(const TOptions& options) {
  const fs::path state(options.StateDir);
  const pid_t pid = static_cast<pid_t>(SizeFrom(ReadText(state / "pid")));
  if (pid > 0 && IsOurServer(pid)) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100 && kill(pid, 0) == 0 && IsOurServer(pid); ++i) std::this_thread::sleep_for(50ms);
  }
  std::error_code ec;
  fs::remove(state / "ports", ec);
  fs::remove(state / "pid", ec);
  return 0;
}

int RunServer(const TOptions& options, int readyPipe) {
  static TServer server;
  server.Options = options;
  server.Tls = LoadTls(options);
  std::vector<std::pair<TKind, int>> listeners;
  std::string ports;
  const std::pair<TKind, const char*> kinds[] = {
      {TKind::Http, "http"}, {TKind::Proxy, "proxy"}, {TKind::Https, "https"}};
  for (const auto& [kind, name] : kinds) {
    if (kind == TKind::Https && server.Tls == nullptr) continue;
    int port = 0;
    const int fd = Listen(port);
    if (fd < 0) return 1;
    listeners.emplace_back(kind, fd);
    ports += std::string(name) + "=127.0.0.1:" + std::to_string(port) + "\n";
  }
  const fs::path state(options.StateDir);
  if (!WriteFileReplacing(state / "pid", std::to_string(getpid()) + "\n") ||
      !WriteFileReplacing(state / "ports", ports)) {
    return 1;
  }
  std::cout << ports << std::flush;
  if (readyPipe >= 0) {
    const char ready = 1;
    (void)!write(readyPipe, &ready, 1);
    close(readyPipe);
  }
  for (std::size_t i = 1; i < listeners.size(); ++i) {
    std::thread(AcceptLoop, std::ref(server), listeners[i].first, listeners[i].second).detach();
  }
  AcceptLoop(server, listeners[0].first, listeners[0].second);
  return 0;
}

// The parent returns once the child listens, so a caller may use the ports
// file at once; the child keeps no handle of the caller open.
int Daemonize(const TOptions& options) {
  int ready[2];
  if (pipe(ready) != 0) return 1;
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child > 0) {
    close(ready[1]);
    char byte = 0;
    const bool started = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    return started ? 0 : 1;
  }
  close(ready[0]);
  setsid();
  // A descriptor inherited from the caller (a ctest pipe) would keep it waiting.
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != ready[1]) close(fd);
  }
  const int null = open("/dev/null", O_RDWR);
  const std::string log = (fs::path(options.StateDir) / "server.log").string();
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(null, STDIN_FILENO);
  dup2(logFd >= 0 ? logFd : null, STDOUT_FILENO);
  dup2(logFd >= 0 ? logFd : null, STDERR_FILENO);
  return RunServer(options, ready[1]);
}

std::optional<TOptions> ParseArguments(int argc, char** argv) {
  TOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--daemon") {
      options.Daemon = true;
    } else if (arg == "--stop") {
      options.Stop = true;
    } else if (arg == "--state-dir") {
      ok = value(options.StateDir);
    } else if (arg == "--data-dir") {
      ok = value(options.DataDir);
    } else if (arg == "--cert") {
      ok = value(options.Cert);
    } else if (arg == "--key") {
      ok = value(options.Key);
    } else if (arg == "--proxy-user") {
      ok = value(options.ProxyUser);
    } else if (arg == "--proxy-password") {
      ok = value(options.ProxyPassword);
    } else {
      ok = false;
    }
    if (!ok) return std::nullopt;
  }
  if (options.StateDir.empty()) return std::nullopt;
  return options;
}

}  // namespace kivo::testserver

int main(int argc, char** argv) {
  using namespace kivo::testserver;
  const std::optional<TOptions> options = ParseArguments(argc, argv);
  if (!options) {
    std::cerr
        << "usage: kivo-test-server --state-dir DIR [--data-dir DIR] [--cert PEM --key PEM] [--daemon]\n"
           "       kivo-test-server --stop --state-dir DIR\n";
    return 2;
  }
  if (options->Stop) return StopServer(*options);
  signal(SIGPIPE, SIG_IGN);
  std::error_code ec;
  fs::create_directories(options->StateDir, ec);
  return options->Daemon ? Daemonize(*options) : RunServer(*options, -1);
}
