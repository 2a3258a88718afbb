#include "feeds/HttpDownload.h"

#include <algorithm>
#include <array>
#include <climits>
#include <exception>
#include <optional>
#include <random>

#include "feeds/FeedMessages.h"
#include "feeds/PluginGlobals.h"
#include "platform/FileIo.h"

namespace kivo {
namespace {

constexpr int kChunkBytes = 2000;
constexpr int kTitleChunkBytes = 100;
constexpr std::uint64_t kProgressIntervalMs = 300;
constexpr int kChangedMin = 1;
constexpr int kChangedMax = 200000000;
constexpr int kNotModified = 304;
constexpr std::size_t kMaxValidatorBytes = 256;
constexpr std::string_view kAcceptEncoding = "Accept-Encoding: gzip, deflate";

const std::vector<std::string>& RequestHeaders() {
  static const std::vector<std::string> headers = {
      "Accept: */*",
      "Proxy-Connection: Keep-Alive",
      "Accept-Language: ru",
      "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)",
  };
  return headers;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "name:port" with a valid port becomes name and port; anything else stays the
// host name as written, so a bad port fails at the connection.
void TakePort(const std::string& hostPart, TRequestAddress& address) {
  const std::size_t colon = hostPart.find(':');
  address.Host = hostPart;
  if (colon == std::string::npos || hostPart.find(':', colon + 1) != std::string::npos) return;
  const std::string digits = hostPart.substr(colon + 1);
  if (!IsDigits(digits) || digits.size() > 5) return;
  const int port = std::stoi(digits);
  if (port < 1 || port > 65535) return;
  address.Host = hostPart.substr(0, colon);
  address.Port = port;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// A validator goes back into a request line and the INI file: a server's
// value with a line break, a control character or of unusual length is none.
std::string Validator(std::string value) {
  if (value.size() > kMaxValidatorBytes) return {};
  const bool printable =
      std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
  return printable ? value : std::string();
}

// A body download asks for a compressed transfer; the size query asks for
// none, so the sizes it compares are all of the plain document.
enum class TRequestKind { Body, Size };

THttpRequest MakeRequest(const TDownloadParams& params, TRequestKind kind, const TNetContext& ctx) {
  const TRequestAddress address = SplitAddress(params.URL);
  THttpRequest request;
  request.Host = address.Host;
  request.Port = address.Port;
  request.Secure = address.Secure;
  request.Target = address.Target;
  request.Proxy = params.Proxy;
  request.ProxyBypass = params.ProxyBypass;
  request.ProxyUser = params.UserName;
  request.ProxyPassword = params.Password;
  request.Headers = RequestHeaders();
  request.AcceptCompressed = kind == TRequestKind::Body;
  if (request.AcceptCompressed) request.Headers.emplace_back(kAcceptEncoding);
  const std::string etag = Validator(params.Validators.ETag);
  const std::string lastModified = Validator(params.Validators.LastModified);
  if (!etag.empty()) request.Headers.push_back("If-None-Match: " + etag);
  if (!lastModified.empty()) request.Headers.push_back("If-Modified-Since: " + lastModified);
  // Our own validators decide; a platform cache answering for the server would not say 304.
  request.BypassCache = !etag.empty() || !lastModified.empty();
  request.Revalidate = kind == TRequestKind::Body && !request.BypassCache;
  request.Timeout = ctx.Deadline;
  request.Wait = ctx.Wait;
  request.Cancel = ctx.Cancel.Shared();
  return request;
}

bool IsSuccess(int status) {
  return status >= 200 && status <= 299;
}

bool Cancelled(const TNetContext& ctx) {
  return ctx.Cancel->Cancelled();
}

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// The time limit of one request, measured from its start.
class TDeadline {
 public:
  TDeadline(IClock& clock, std::chrono::milliseconds limit)
      : clock_(clock), start_(clock.TickMs()), limit_(limit) {}
  bool Passed() const {
    return clock_.TickMs() - start_ > static_cast<std::uint64_t>(std::max<std::int64_t>(limit_.count(), 0));
  }

 private:
  IClock& clock_;
  std::uint64_t start_;
  std::chrono::milliseconds limit_;
};

class TProgressReporter {
 public:
  TProgressReporter(int feedIndex, const TNetContext& ctx, std::int64_t announced)
      : feedIndex_(feedIndex), ctx_(ctx), announced_(announced), lastReport_(ctx.Clock.TickMs()) {}

  void Report(std::size_t received) {
    if (feedIndex_ < 0) return;
    const std::uint64_t now = ctx_.Clock.TickMs();
    if (now <= lastReport_ + kProgressIntervalMs) return;
    // A decoded body outgrows the encoded size announced.
    const std::int64_t percent =
        std::min<std::int64_t>(ProgressPercent(static_cast<std::int64_t>(received), announced_), 100);
    if (ctx_.Run) ctx_.Run->Progress = ClampToInt(percent + 10);
    ctx_.Poster.Post(WM_FEED_PROGRESS, feedIndex_);
    lastReport_ = now;
  }

 private:
  int feedIndex_;
  const TNetContext& ctx_;
  std::int64_t announced_;
  std::uint64_t lastReport_;
};

// The start of the response, up to the first item's closing title tag; null
// when the request ran out of time or the text grew beyond the feed limit.
std::optional<std::string> ReadUpToFirstTitle(IHttpResponse& response, const TDeadline& deadline) {
  std::string text;
  std::string lower;
  std::size_t item = std::string::npos;
  std::array<char, kTitleChunkBytes> buffer{};
  for (;;) {
    const int n = response.Read(buffer.data(), kTitleChunkBytes);
    if (n == IHttpResponse::kReadTimedOut || deadline.Passed()) return std::nullopt;
    if (n <= 0) break;
    const std::size_t before = lower.size();
    text.append(buffer.data(), static_cast<std::size_t>(n));
    lower += AsciiLower(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    if (text.size() > kFeedMaxBytes) return std::nullopt;
    if (item == std::string::npos) item = lower.find("<item>", before >= 5 ? before - 5 : 0);
    if (item == std::string::npos) continue;
    const std::size_t from = std::max(item, before >= 7 ? before - 7 : 0);
    if (lower.find("</title>", from) != std::string::npos) break;
  }
  return text;
}

// A text as the comparison sees it: its lines, each ended by CR LF.
std::string AsCrLfLines(std::string_view text) {
  return LinesToText(TextToLines(text));
}

std::string ReadLocalText(const TFilePath& rawFile) {
  const std::optional<std::string> bytes = ReadFileBytes(rawFile);
  if (!bytes) return {};
  return AsCrLfLines(*bytes);
}

std::uint32_t ClockSeed() {
  return static_cast<std::uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

int CompareFirstTitles(IHttpResponse& response, const TFilePath& rawFile, const TDeadline& deadline) {
  std::mt19937 random(ClockSeed());
  try {
    const std::optional<std::string> remote = ReadUpToFirstTitle(response, deadline);
    if (!remote) return -1;
    // Both sides line by line: the stored download has CR LF, the server may send LF.
    if (FirstTitlePiece(AsCrLfLines(*remote)) == FirstTitlePiece(ReadLocalText(rawFile))) return 0;
    return std::uniform_int_distribution<int>(kChangedMin, kChangedMax)(random);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

TDownloadParams MakeDownloadParams(const std::string& url, const TProxySettings& proxy) {
  TDownloadParams params;
  params.URL = url;
  if (!proxy.UseProxy) return params;
  params.Proxy = proxy.ProxyHost + ":" + proxy.ProxyPort;
  if (proxy.ProxyAuth) {
    params.UserName = proxy.ProxyUser;
    params.Password = proxy.ProxyPassword;
  }
  return params;
}

TRequestAddress SplitAddress(std::string_view url) {
  TRequestAddress address;
  std::string rest(url);
  if (rest.starts_with("https://")) {
    address.Secure = true;
    address.Port = 443;
    rest.erase(0, 8);
  } else if (const std::size_t at = rest.find("http://"); at != std::string::npos) {
    rest.erase(at, 7);
  }
  const std::size_t slash = rest.find('/');
  if (slash != std::string::npos) address.Target.append(rest, slash + 1);
  TakePort(rest.substr(0, slash), address);
  return address;
}

std::string ExtractHost(std::string_view url) {
  return SplitAddress(url).Host;
}

std::int64_t ProgressPercent(std::int64_t received, std::int64_t announced) {
  const std::int64_t numerator = received * 100;
  const std::int64_t denominator = std::max<std::int64_t>(announced, 0) + 1;
  const std::int64_t quotient = numerator / denominator;
  const std::int64_t twiceRemainder = (numerator % denominator) * 2;
  if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 == 1))
    return quotient + 1;
  return quotient;
}

TDownloadOutcome FetchFile(const TDownloadParams& params, std::string& stream, int feedIndex,
                           const TNetContext& ctx, std::size_t maxBytes) {
  TDownloadOutcome outcome;
  if (Cancelled(ctx)) return outcome;
  maxBytes = std::min<std::size_t>(maxBytes, INT_MAX);
  const TDeadline deadline(ctx.Clock, ctx.Deadline);
  THttpError error = THttpError::Failed;
  const std::unique_ptr<IHttpResponse> response =
      ctx.Http.Get(MakeRequest(params, TRequestKind::Body, ctx), error);
  const auto timedOut = [&outcome] {
    outcome.Error = TDownloadError::TimedOut;
    return outcome;
  };
  if (!response) return error == THttpError::TimedOut ? timedOut() : outcome;
  if (deadline.Passed()) return timedOut();
  outcome.Status = response->Status();
  if (outcome.Status == kNotModified && !params.Validators.Empty()) {
    outcome.Result = 0;
    outcome.Error = TDownloadError::None;
    outcome.NotModified = true;
    return outcome;
  }
  outcome.Error = TDownloadError::HttpStatus;
  if (!IsSuccess(outcome.Status)) return outcome;
  outcome.Error = TDownloadError::NoResponse;
  const std::int64_t announced = response->AnnouncedSize();
  if (announced > static_cast<std::int64_t>(maxBytes)) return outcome;

  TProgressReporter progress(feedIndex, ctx, announced);
  std::string body;
  std::array<char, 2048> buffer{};
  for (;;) {
    const int n = response->Read(buffer.data(), kChunkBytes);
    if (n == IHttpResponse::kReadTimedOut || deadline.Passed()) return timedOut();
    if (Cancelled(ctx)) return outcome;
    if (n <= 0) break;
    body.append(buffer.data(), static_cast<std::size_t>(n));
    if (body.size() > maxBytes) return outcome;
    progress.Report(body.size());
  }
  stream += body;
  outcome.Result = static_cast<int>(body.size());
  outcome.Error = TDownloadError::None;
  outcome.Validators = {Validator(response->Header("ETag")), Validator(response->Header("Last-Modified"))};
  return outcome;
}

int DownloadFile(TDownloadParams params, std::string& stream, int feedIndex, const TNetContext& ctx,
                 std::size_t maxBytes) {
  return FetchFile(params, stream, feedIndex, ctx, maxBytes).Result;
}

TValidators CachedValidators(const TValidators& stored, const TFilePath& cacheFile,
                             const TFilePath& rawFile) {
  if (!FileExists(cacheFile) || !FileExists(rawFile)) return {};
  return stored;
}

int GetRemoteSize(TDownloadParams params, int /*feedIndex*/, const TNetContext& ctx, bool extCheck,
                  const TFilePath& rawFile) {
  if (Cancelled(ctx)) return -1;
  const TDeadline deadline(ctx.Clock, ctx.Deadline);
  THttpError error = THttpError::Failed;
  const std::unique_ptr<IHttpResponse> response =
      ctx.Http.Get(MakeRequest(params, TRequestKind::Size, ctx), error);
  if (!response || deadline.Passed()) return -1;
  const int status = response->Status();
  if (status == kNotModified && !params.Validators.Empty()) return 0;
  if (!IsSuccess(status)) return -1;
  const std::int64_t announced = response->AnnouncedSize();
  if (announced > 0) return ClampToInt(announced);
  if (!extCheck) return 0;
  return CompareFirstTitles(*response, rawFile, deadline);
}

int DownloadToFile(const std::string& url, const TFilePath& fileName, int feedIndex,
                   const TProxySettings& proxy, const TNetContext& ctx, std::size_t maxBytes) {
  std::string body;
  const int result = DownloadFile(MakeDownloadParams(url, proxy), body, feedIndex, ctx, maxBytes);
  if (result > 0 && !WriteFileAtomic(fileName, body)) return -1;
  return result;
}

std::string DownloadToStream(const std::string& url, const TProxySettings& proxy, const TNetContext& ctx,
                             std::size_t maxBytes) {
  std::string body;
  DownloadFile(MakeDownloadParams(url, proxy), body, -1, ctx, maxBytes);
  return body;
}

std::string FirstTitlePiece(std::string_view text) {
  const std::string lower = AsciiLower(text);
  const std::size_t item = lower.find("<item>");
  const std::size_t title = lower.find("<title>", item == std::string::npos ? 0 : item);
  // Drops the text through the "<" of "<title>" (nothing when there is none).
  const std::size_t drop = title == std::string::npos ? 0 : title + 1;
  const std::size_t close = lower.find("</title>", drop);
  if (close == std::string::npos) return {};
  return std::string(text.substr(drop, close - drop + 1));
}

TProxySettings ProxySettingsOf(const TPluginGlobals& globals) {
  TProxySettings proxy;
  proxy.UseProxy = globals.UseProxy;
  proxy.ProxyAuth = globals.ProxyAuth;
  proxy.ProxyHost = globals.ProxyHost;
  proxy.ProxyPort = globals.ProxyPort;
  proxy.ProxyUser = globals.ProxyUser;
  proxy.ProxyPassword = globals.ProxyPassword;
  return proxy;
}

}  // namespace kivo
