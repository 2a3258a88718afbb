// fetch URL [--proxy HOST:PORT]: downloads a feed with the platform's client,
// converts it as a load would and prints what happened, for diagnosis: sizes,
// encoding, themes (as UTF-8), and why a feed came out empty.
#include <cstdint>
#include <optional>
#include <string>

#include "base/Text1251.h"
#include "feeds/FeedConversion.h"
#include "feeds/HttpDownload.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/UiMessages.h"
#include "tools/cli/Commands.h"

namespace kivo::cli {
namespace {

constexpr const char* kFetchUsage = "usage: kivorss-cli fetch URL [--proxy HOST:PORT]";
constexpr int kExitEmpty = 1;

// Passes requests on and remembers the size the last response announced.
class TAnnouncementRecorder final : public IHttpClient {
 public:
  explicit TAnnouncementRecorder(IHttpClient& client) : client_(client) {}

  std::unique_ptr<IHttpResponse> Get(const THttpRequest& request, THttpError& error) override {
    auto response = client_.Get(request, error);
    if (response) announced_ = response->AnnouncedSize();
    return response;
  }
  std::optional<std::int64_t> Announced() const { return announced_; }

 private:
  IHttpClient& client_;
  std::optional<std::int64_t> announced_;
};

struct TFetchArgs {
  std::string Url;
  TProxySettings Proxy;
};

std::optional<TFetchArgs> ParseFetchArgs(const Args& args) {
  TFetchArgs fetch;
  const auto proxy = [&fetch](const std::string& value) {
    const std::size_t colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    fetch.Proxy.UseProxy = true;
    fetch.Proxy.ProxyHost = value.substr(0, colon);
    fetch.Proxy.ProxyPort = value.substr(colon + 1);
    return true;
  };
  if (!ParseArgs(args, {{"--proxy", proxy}}, fetch.Url)) return std::nullopt;
  return fetch;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

// The themes as the reader lists them: read back from the item cache.
void PrintThemes(const TConvertedFeed& feed, std::string& out) {
  TmoxXMLParser2 cache;
  cache.LoadFromString(feed.Text());
  int n = 0;
  for (const TmoxXMLNode2* item = cache.FirstChild(); item; item = item->NextSibling()) {
    out.append("  " + std::to_string(++n) + ". " + WinToUtf8(item->ChildText("title")) + " | " +
               WinToUtf8(item->ChildText("date")) + "\n");
  }
}

std::string FailureDetail(const TDownloadOutcome& fetched) {
  switch (fetched.Error) {
    case TDownloadError::HttpStatus:
      return " (HTTP " + std::to_string(fetched.Status) + ")";
    case TDownloadError::TimedOut:
      return " (timed out)";
    case TDownloadError::None:
    case TDownloadError::NoResponse:
      break;
  }
  return {};
}

// Prints the diagnosis; true when the feed gave themes.
bool Diagnose(const std::string& body, const TDownloadOutcome& fetched, std::string& out) {
  const int received = fetched.Result;
  if (received < 0) {
    out.append("empty: download failed" + FailureDetail(fetched) + "\n");
    return false;
  }
  if (received == 0) {
    out.append("empty: empty body\n");
    return false;
  }
  TmoxXMLParser2 source;
  SetFeedTreeBudget(source);
  source.LoadFromString(body);
  TConversionSettings settings;
  settings.DeclaredEncoding = DeclaredEncoding(source);
  const TConvertedFeed feed = ConvertFeed(source, settings, {});
  const std::string declared = settings.DeclaredEncoding.empty() ? "(none)" : settings.DeclaredEncoding;
  out.append("encoding: " + declared + ", decoded as " + std::string(EncodingModeName(feed.Mode)) + "\n");
  out.append("items: " + std::to_string(feed.ItemCount()) + "\n");
  PrintThemes(feed, out);
  const std::string parseError = FirstLine(source.ErrorText());
  if (!parseError.empty()) out.append("parse error: " + parseError + "\n");
  if (feed.ItemCount() > 0) return true;
  out.append(parseError.empty() ? "empty: no items found\n" : "empty: parse error: " + parseError + "\n");
  return false;
}

}  // namespace

int CmdFetch(const Args& args, std::string& out) {
  const auto fetch = ParseFetchArgs(args);
  if (!fetch) return Usage(kFetchUsage);
  TAnnouncementRecorder http(PlatformHttpClient());
  const TNetContext ctx{.Http = http, .Clock = SystemClock(), .Poster = NoPoster()};
  std::string body;
  const TDownloadOutcome fetched = FetchFile(MakeDownloadParams(fetch->Url, fetch->Proxy), body, -1, ctx);
  out.append("url: " + fetch->Url + "\n");
  std::string sizes = "bytes: " + std::to_string(fetched.Result);
  if (http.Announced()) sizes += ", announced: " + std::to_string(*http.Announced());
  out.append(sizes + "\n");
  return Diagnose(body, fetched, out) ? kExitOk : kExitEmpty;
}

}  // namespace kivo::cli
