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

#include "tools/feedserver/ServerIo.h"

namespace kivo::testserver {
namespace fs = std::filesystem;

// ---- the origin ---------------------------------------------------------

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
  if (ServeTestRoute(server, channel, *request)) return;
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
