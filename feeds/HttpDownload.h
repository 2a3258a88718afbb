// Everything the plugin takes from the network: feed documents, site icons,
// logos and pictures, by one HTTP GET per call; and the announced size of a
// feed for the update check. Runs on worker threads only.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/FilePaths.h"
#include "base/SharedRef.h"
#include "feeds/FeedTable.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/UiMessages.h"

namespace kivo {

// What a server said about the document of its last good download; sent
// back, they let it answer 304 Not Modified instead of the document again.
struct TValidators {
  std::string ETag;          // as the server wrote it, quotes and all
  std::string LastModified;  // an HTTP date

  bool Empty() const { return ETag.empty() && LastModified.empty(); }
  bool operator==(const TValidators&) const = default;
};

struct TDownloadParams {
  std::string URL;
  std::string Proxy;        // "host:port"; empty without a proxy
  std::string ProxyBypass;  // always empty
  std::string UserName;     // the proxy's; empty unless ProxyAuth is on
  std::string Password;
  TValidators Validators;  // sent as If-None-Match and If-Modified-Since
};

struct TProxySettings {
  bool UseProxy = false;
  bool ProxyAuth = false;
  std::string ProxyHost;
  std::string ProxyPort;
  std::string ProxyUser;
  std::string ProxyPassword;
};

// Bodies beyond these are cut off and the download counts as failed.
constexpr std::size_t kFeedMaxBytes = 32u << 20;    // feeds
constexpr std::size_t kPictureMaxBytes = 8u << 20;  // pictures, site icons, logos
// A request not finished by then fails.
constexpr std::chrono::milliseconds kRequestDeadline{120000};

// What one download works with; it must outlive the download.
struct TNetContext {
  IHttpClient& Http;
  IClock& Clock;
  IMessagePoster& Poster;                        // progress messages
  std::shared_ptr<TFeedRunState> Run = nullptr;  // whose Progress a download writes
  std::chrono::milliseconds Deadline = kRequestDeadline;
  TSharedRef<THttpCancel> Cancel = MakeShared<THttpCancel>();
  std::chrono::milliseconds Wait = kNetworkWait;  // of each step of a request
};

enum class TDownloadError { None, NoResponse, HttpStatus, TimedOut };

// How one download ended.
struct TDownloadOutcome {
  int Result = -1;  // as DownloadFile returns it
  int Status = 0;   // of the response; 0 when none came
  TDownloadError Error = TDownloadError::NoResponse;
  bool NotModified = false;  // 304: the copy held is current
  TValidators Validators;    // of a 2xx response, those fit to send back
};

struct TPluginGlobals;
TProxySettings ProxySettingsOf(const TPluginGlobals& globals);

// URL := the address; with UseProxy the proxy "host:port", and with ProxyAuth
// in addition the proxy's user name and password.
TDownloadParams MakeDownloadParams(const std::string& url, const TProxySettings& proxy);

// The address as a request: "http://" (the first occurrence) is removed, an
// address beginning with "https://" goes over TLS; the host runs to the first
// "/", the target is "/" and the rest; a ":port" after the host is honoured,
// else port 80 (443 for https).
struct TRequestAddress {
  std::string Host;
  int Port = 80;
  bool Secure = false;
  std::string Target = "/";
};
TRequestAddress SplitAddress(std::string_view url);

// The host name of an address as SplitAddress finds it.
std::string ExtractHost(std::string_view url);

// Percent of `received` out of `announced` + 1, rounded half to even.
std::int64_t ProgressPercent(std::int64_t received, std::int64_t announced);

// Fetches params.URL, gzip or deflate encoded if the server likes, and
// appends the whole decoded body to `stream` in one piece; returns its length
// (0 or more), or -1 when no response could be had, the status is outside
// 200-299, the deadline passed, the body exceeds `maxBytes` or the download
// was cancelled (`stream` is then untouched). A 304 gives 0: the validators
// sent still hold.
// A feed index of 0 or more reports progress into ctx.Run and posts
// WM_FEED_PROGRESS with that index, at most every 300 ms.
int DownloadFile(TDownloadParams params, std::string& stream, int feedIndex, const TNetContext& ctx,
                 std::size_t maxBytes = kFeedMaxBytes);
// The same, with why it ended.
TDownloadOutcome FetchFile(const TDownloadParams& params, std::string& stream, int feedIndex,
                           const TNetContext& ctx, std::size_t maxBytes = kFeedMaxBytes);

// `stored` while the item cache and the raw file both exist; none else, as a
// 304 would leave nothing to show.
TValidators CachedValidators(const TValidators& stored, const TFilePath& cacheFile, const TFilePath& rawFile);

// The body size the server announces for params.URL, 0 when none or when it
// answers 304 to the validators, -1 on failure or a status outside 200-299.
// With no size announced and `extCheck` on, compares the first item's title
// of the response with that of `rawFile` instead: 0 when equal, else a random
// number from 1 to 200000000. The body is asked for unencoded, so sizes
// compare with those of earlier checks. The feed index is not used for
// progress.
int GetRemoteSize(TDownloadParams params, int feedIndex, const TNetContext& ctx, bool extCheck,
                  const TFilePath& rawFile);

// Downloads `url` and, only when the body is not empty, writes it over
// `fileName`. Returns the DownloadFile result, or -1 when the file could not be
// written.
int DownloadToFile(const std::string& url, const TFilePath& fileName, int feedIndex,
                   const TProxySettings& proxy, const TNetContext& ctx, std::size_t maxBytes = kFeedMaxBytes);

// The body of `url` without progress; empty on failure.
std::string DownloadToStream(const std::string& url, const TProxySettings& proxy, const TNetContext& ctx,
                             std::size_t maxBytes = kPictureMaxBytes);

// The piece of a feed text that the title comparison looks at: the first
// item's "title>...<" (the channel's when no "<item>" occurs).
std::string FirstTitlePiece(std::string_view text);

}  // namespace kivo
