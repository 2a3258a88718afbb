// The routes that play a misbehaving or a careful server: error statuses, an
// origin that asks for credentials, revalidation, compressed bodies, a feed
// that turns into an error page, one that grows at every request, and a feed
// whose logo lives elsewhere.
#include <zlib.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "tools/feedserver/ServerIo.h"

namespace kivo::testserver {
namespace {

constexpr const char* kLastModified = "Sat, 01 Jun 2024 10:00:00 GMT";

std::string ErrorPage(int status) {
  const std::string title = std::to_string(status) + " Status";
  return "<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1></body></html>\n";
}

// A strong entity tag made of the body, so a changed file gets a new one.
std::string EntityTag(const std::string& body) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : body) hash = (hash ^ c) * 16777619u;
  return "\"kivo-" + std::to_string(body.size()) + "-" + std::to_string(hash) + "\"";
}

bool Accepts(const TRequest& request, const std::string& coding) {
  std::string accepted = request.Header("Accept-Encoding").value_or("");
  for (char& c : accepted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return accepted.find(coding) != std::string::npos;
}

// gzip (window bits 31), or deflate as WinInet reads it: a raw stream (-15)
// without the zlib wrapper, which curl reads as well.
std::string Compress(const std::string& body, int windowBits) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  std::string out(deflateBound(&stream, static_cast<uLong>(body.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  out.resize(done ? stream.total_out : 0);
  deflateEnd(&stream);
  return out;
}

void ServeEncoded(TChannel& channel, const TRequest& request, const std::string& coding,
                  const std::string& body) {
  if (!Accepts(request, coding)) return SendWhole(channel, 200, "application/rss+xml", body);
  const std::string encoded = Compress(body, coding == "gzip" ? 31 : -15);
  SendWhole(channel, 200, "application/rss+xml", encoded, "Content-Encoding: " + coding + "\r\n");
}

// 304 when the client's validators match the file's, else the file with them.
void ServeConditional(TChannel& channel, const TRequest& request, const std::string& body) {
  const std::string etag = EntityTag(body);
  const std::string validators = "ETag: " + etag + "\r\nLast-Modified: " + kLastModified + "\r\n";
  const auto noneMatch = request.Header("If-None-Match");
  const bool current = noneMatch ? *noneMatch == etag : request.Header("If-Modified-Since") == kLastModified;
  if (current) {
    channel.Send("HTTP/1.1 304 Not Modified\r\n" + validators + "Connection: close\r\n\r\n");
    return;
  }
  SendWhole(channel, 200, "application/rss+xml", body, validators);
}

// The first request of each key gets the file, every later one an error page.
bool FirstOfKey(const std::string& key) {
  static std::mutex mutex;
  static std::set<std::string> served;
  const std::lock_guard lock(mutex);
  return served.insert(key).second;
}

// How often KEY was asked for, this request included.
int RequestsOfKey(const std::string& key) {
  static std::mutex mutex;
  static std::map<std::string, int> counts;
  const std::lock_guard lock(mutex);
  return ++counts[key];
}

// A feed that gains an item at every request, newest first, so its size
// changes each time an update check asks.
std::string GrowingFeed(int items) {
  std::string feed =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel><title>Growing feed</title>"
      "<link>http://127.0.0.1/</link>";
  for (int n = items; n >= 1; --n) {
    const std::string number = std::to_string(n);
    feed += "<item><title>News " + number + "</title><description>Item number " + number +
            "</description></item>";
  }
  return feed + "</channel></rss>\n";
}

std::string FeedWithLogo(const TRequest& request) {
  const std::string logo =
      "http://" + request.Header("Host").value_or("127.0.0.1") + QueryValue(request.Query(), "logo");
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel><title>Logo feed</title>"
         "<image><url>" +
         logo +
         "</url><title>Logo</title></image>"
         "<item><title>One</title><description>first</description></item>"
         "<item><title>Two</title><description>second</description></item>"
         "</channel></rss>\n";
}

}  // namespace

bool ServeTestRoute(TServer& server, TChannel& channel, const TRequest& request) {
  const std::string path = request.Path();
  if (const std::string status = RestAfter(path, "/status/"); !status.empty()) {
    const int code = static_cast<int>(SizeFrom(status));
    SendWhole(channel, code >= 200 && code <= 599 ? code : 500, "text/html", ErrorPage(code));
    return true;
  }
  if (path == "/html-page") {
    SendWhole(channel, 200, "text/html", ErrorPage(200));
    return true;
  }
  if (path == "/auth/basic") {
    SendWhole(channel, 401, "text/html", ErrorPage(401), "WWW-Authenticate: Basic realm=\"kivo-origin\"\r\n");
    return true;
  }
  if (const std::string key = RestAfter(path, "/growing/"); !key.empty()) {
    SendWhole(channel, 200, "application/rss+xml", GrowingFeed(RequestsOfKey(key)));
    return true;
  }
  if (path == "/logo-feed") {
    SendWhole(channel, 200, "application/rss+xml", FeedWithLogo(request));
    return true;
  }
  for (const std::string coding : {"gzip", "deflate"}) {
    if (const auto body = ReadData(server.Options, RestAfter(path, "/" + coding + "/"))) {
      ServeEncoded(channel, request, coding, *body);
      return true;
    }
  }
  if (const auto body = ReadData(server.Options, RestAfter(path, "/cond/"))) {
    ServeConditional(channel, request, *body);
    return true;
  }
  if (const std::string rest = RestAfter(path, "/once/"); !rest.empty()) {
    const std::size_t slash = rest.find('/');
    const auto body = ReadData(server.Options, slash == std::string::npos ? "" : rest.substr(slash + 1));
    if (!body) return false;
    if (FirstOfKey(rest.substr(0, slash))) {
      SendWhole(channel, 200, "application/rss+xml", *body);
    } else {
      SendWhole(channel, 404, "text/html", NotFoundPage(path));
    }
    return true;
  }
  return false;
}

}  // namespace kivo::testserver
