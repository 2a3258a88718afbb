#include "tools/feedserver/ServerIo.h"

#include <poll.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace kivo::testserver {

namespace fs = std::filesystem;

namespace {

constexpr int kSlowPieces = 20;
constexpr std::size_t kSlowPieceBytes = 4000;
constexpr auto kSlowPause = 100ms;

}  // namespace

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
                         const std::string& extra) {
  std::string head = StatusLine(status) + "Content-Type: " + type + "\r\n";
  head += length ? "Content-Length: " + std::to_string(*length) + "\r\n" : "Transfer-Encoding: chunked\r\n";
  // Keeps a client cache from answering for the server.
  head += "Cache-Control: no-cache, no-store\r\nConnection: close\r\n" + extra + "\r\n";
  return head;
}

void SendWhole(TChannel& channel, int status, const std::string& type, const std::string& body,
               const std::string& extra) {
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

}  // namespace kivo::testserver
