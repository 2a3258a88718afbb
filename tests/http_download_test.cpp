// Downloads through the platform's HTTP client (libcurl natively, WinInet
// under Wine) against kivo-test-server, and the download protocol against a
// scripted client and clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <thread>
#include <tuple>

#include "feeds/FeedMessages.h"
#include "feeds/HttpDownload.h"
#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestServer.h"

namespace kivo {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kFixedHeaders = {
    "Accept: */*",
    "Proxy-Connection: Keep-Alive",
    "Accept-Language: ru",
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)",
};
// A body download also accepts a compressed transfer.
const std::vector<std::string> kBodyHeaders = [] {
  std::vector<std::string> headers = kFixedHeaders;
  headers.emplace_back("Accept-Encoding: gzip, deflate");
  return headers;
}();

// Notes each message with the progress the download had written when it came.
class TRecordingPoster final : public IMessagePoster {
 public:
  explicit TRecordingPoster(std::shared_ptr<TFeedRunState> run) : run_(std::move(run)) {}
  void Post(unsigned message, long lParam) override {
    Messages.emplace_back(message, lParam);
    ProgressAtPost.push_back(run_->Progress);
  }
  std::vector<std::pair<unsigned, long>> Messages;
  std::vector<int> ProgressAtPost;

 private:
  std::shared_ptr<TFeedRunState> run_;
};

TDownloadParams Direct(const std::string& url) {
  return MakeDownloadParams(url, {});
}

// ---- pure pieces ----------------------------------------------------------

TEST(SplitAddress, FindsHostPortAndTarget) {
  struct {
    const char *Url, *Host;
    int Port;
    bool Secure;
    const char* Target;
  } const cases[] = {
      {"http://example.com/rss/feed.xml", "example.com", 80, false, "/rss/feed.xml"},
      {"example.com/rss/feed.xml", "example.com", 80, false, "/rss/feed.xml"},
      {"http://example.com", "example.com", 80, false, "/"},
      // The host occurs inside the scheme: the target still follows the host.
      {"http://h/tp", "h", 80, false, "/tp"},
      {"http://example.com:8080/x", "example.com", 8080, false, "/x"},
      {"https://example.com/x", "example.com", 443, true, "/x"},
      {"https://example.com:8443", "example.com", 8443, true, "/"},
      // A port that is no port stays in the host name, so the connection fails.
      {"http://example.com:99999/x", "example.com:99999", 80, false, "/x"},
      {"http://example.com:abc/x", "example.com:abc", 80, false, "/x"},
      {"ftp://example.com/x", "ftp:", 80, false, "//example.com/x"},
  };
  for (const auto& c : cases) {
    const TRequestAddress a = SplitAddress(c.Url);
    EXPECT_EQ(std::tie(a.Host, a.Port, a.Secure, a.Target),
              std::make_tuple(c.Host, c.Port, c.Secure, c.Target))
        << c.Url;
  }
}

TEST(ProgressPercent, RoundsHalvesToEvenWithoutOverflow) {
  // received, announced, percent of announced + 1
  const std::int64_t cases[][3] = {
      {1, 7, 12}, {3, 7, 38}, {3, 199, 2}, {2, 2, 67}, {33554432, 0, 3355443200}};
  for (const auto& c : cases) EXPECT_EQ(ProgressPercent(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

TEST(FirstTitlePiece, TakesFirstItemTitleElseFirstTitle) {
  struct {
    const char *Text, *Piece;
  } const cases[] = {
      {"<rss><channel><title>Chan</title><item><title>One</title></item>", "title>One<"},
      {"<channel><title>Chan</title><item id=\"1\"><title>One</title>", "title>Chan<"},
      {"<CHANNEL><ITEM><TITLE>Upper Case</TITLE>", "TITLE>Upper Case<"},
      {"<item><title>Two\r\nlines</title>", "title>Two\r\nlines<"},
      {"<item><title>Never closed", ""},
      {"no tags at all", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstTitlePiece(c.Text), c.Piece) << c.Text;
}

// A stop cancels every request; a request blocked in a platform call ends
// only when its abort closes what it waits on.
TEST(THttpCancel, RunsEachLiveAbortOnceAndNoneWhoseRequestHasEnded) {
  // cancelled before the abort is registered, request ended before the cancel, runs
  const std::tuple<bool, bool, int> cases[] = {{false, false, 1}, {true, false, 1}, {false, true, 0}};
  for (const auto& [cancelFirst, endedFirst, expected] : cases) {
    const auto cancel = std::make_shared<THttpCancel>();
    int runs = 0;
    if (cancelFirst) cancel->Cancel();
    THttpCancel::TAbort abort = THttpCancel::OnCancel(cancel, [&runs] { ++runs; });
    if (endedFirst) abort = {};
    cancel->Cancel();
    cancel->Cancel();
    EXPECT_EQ(runs, expected) << cancelFirst << endedFirst;
  }
  int runs = 0;
  const THttpCancel::TAbort none = THttpCancel::OnCancel(nullptr, [&runs] { ++runs; });
  EXPECT_EQ(runs, 0) << "a request without a cancel is never aborted";
}

// ---- the protocol against a scripted client ---------------------------------

// One read: bytes, or a read result when Bytes is empty; the clock reads Tick
// (unless 0) from then on.
struct TStep {
  std::string Bytes;
  int Result = 0;
  std::uint64_t Tick = 0;
};

// Plays Steps as the body of every response; it is also the download's clock.
class TScriptedClient final : public IHttpClient, public IClock {
 public:
  std::uint64_t TickMs() override { return Tick; }
  TDateTime Now() override { return 0; }
  std::unique_ptr<IHttpResponse> Get(const THttpRequest& request, THttpError& error) override {
    Requests.push_back(request);
    error = Refuse ? RefusedWith : THttpError::None;
    return Refuse ? nullptr : std::make_unique<Response>(*this);
  }

  std::vector<THttpRequest> Requests;
  bool Refuse = false;
  THttpError RefusedWith = THttpError::Failed;
  int Status = 200;
  std::int64_t Announced = 0;
  std::deque<TStep> Steps;
  std::uint64_t Tick = 1000;
  std::vector<int> ReadSizes;

 private:
  class Response final : public IHttpResponse {
   public:
    explicit Response(TScriptedClient& client) : client_(client), steps_(client.Steps) {}
    int Status() override { return client_.Status; }
    std::string Header(std::string_view) override { return {}; }
    std::int64_t AnnouncedSize() override { return client_.Announced; }
    int Read(char* buffer, int size) override {
      client_.ReadSizes.push_back(size);
      if (steps_.empty()) return 0;
      TStep& step = steps_.front();
      if (step.Tick != 0) client_.Tick = step.Tick;
      const int n = step.Bytes.empty() ? step.Result : static_cast<int>(step.Bytes.copy(buffer, size));
      step.Bytes.erase(0, std::max(n, 0));
      if (step.Bytes.empty()) steps_.pop_front();
      return n;
    }

   private:
    TScriptedClient& client_;
    std::deque<TStep> steps_;
  };
};

class ScriptedDownload : public ::testing::Test {
 protected:
  ScriptedDownload() { run_->Progress = 77; }
  int Download(int feedIndex, std::size_t maxBytes = kFeedMaxBytes) {
    return DownloadFile(Direct("http://example.com/"), stream_, feedIndex, ctx_, maxBytes);
  }

  std::shared_ptr<TFeedRunState> run_ = std::make_shared<TFeedRunState>();
  TScriptedClient client_;
  TRecordingPoster poster_{run_};
  TNetContext ctx_{.Http = client_, .Clock = client_, .Poster = poster_, .Run = run_};
  std::string stream_ = "kept";
};

TEST_F(ScriptedDownload, RequestCarriesAddressFixedHeadersAndCredentialsOnlyWithProxyAndAuth) {
  struct {
    bool UseProxy, ProxyAuth;
    const char *Proxy, *User, *Password;
  } const cases[] = {{false, true, "", "", ""},
                     {true, false, "proxy.local:3128", "", ""},
                     {true, true, "proxy.local:3128", "user", "pw"}};
  ctx_.Deadline = 5s;
  for (const auto& c : cases) {
    const TProxySettings proxy{c.UseProxy, c.ProxyAuth, "proxy.local", "3128", "user", "pw"};
    client_.Requests.clear();
    DownloadFile(MakeDownloadParams("http://example.com:8080/a/b?c", proxy), stream_, 0, ctx_);
    GetRemoteSize(MakeDownloadParams("example.com/a", proxy), 0, ctx_, false, TFilePath());
    ASSERT_EQ(client_.Requests.size(), 2u);
    for (const THttpRequest& r : client_.Requests) {
      EXPECT_EQ(std::tie(r.Proxy, r.ProxyUser, r.ProxyPassword),
                std::make_tuple(c.Proxy, c.User, c.Password));
    }
  }
  const THttpRequest& r = client_.Requests[0];
  EXPECT_EQ(std::tie(r.Host, r.Port, r.Target), std::make_tuple("example.com", 8080, "/a/b?c"));
  EXPECT_EQ(r.Headers, kBodyHeaders);
  EXPECT_EQ(client_.Requests[1].Headers, kFixedHeaders) << "sizes compare only unencoded";
  EXPECT_EQ(r.Timeout, 5s);
  EXPECT_TRUE(r.Revalidate) << "a download must not take a stale cached copy";
  EXPECT_FALSE(client_.Requests[1].Revalidate) << "a size query passes no cache flags";
}

// An error page used to count as the document: the item cache, the icon and
// the logo were replaced by it, and the size query announced it as news.
TEST_F(ScriptedDownload, StatusOutsideTwoHundredsIsAFailedDownloadAnd304OnlyAnswersValidators) {
  using E = TDownloadError;
  // status, validators sent, result (0: not modified), error
  const std::tuple<int, bool, int, E> cases[] = {
      {200, false, 4, E::None},        {299, false, 4, E::None}, {199, false, -1, E::HttpStatus},
      {300, false, -1, E::HttpStatus}, {304, true, 0, E::None},  {404, true, -1, E::HttpStatus},
      {304, false, -1, E::HttpStatus},  // validators never sent: a server fault
  };
  for (const auto& [status, validators, result, error] : cases) {
    SCOPED_TRACE(status);
    client_.Status = status;
    client_.Announced = 4;
    client_.Steps = {{"page"}};
    TDownloadParams params = Direct("http://example.com/");
    if (validators) params.Validators = {"\"v1\"", ""};
    stream_ = "kept";
    const TDownloadOutcome outcome = FetchFile(params, stream_, -1, ctx_);
    EXPECT_EQ(std::tie(outcome.Result, outcome.Status, outcome.Error, outcome.NotModified),
              std::make_tuple(result, status, error, result == 0));
    EXPECT_EQ(stream_, result > 0 ? "keptpage" : "kept");
    EXPECT_EQ(GetRemoteSize(params, 0, ctx_, false, TFilePath()), result);
  }
}

TEST_F(ScriptedDownload, TimeoutIsToldApartFromAFailureAtEveryStep) {
  using E = TDownloadError;
  using H = THttpError;
  struct {
    const char* Name;
    H Refused;  // None: the request is answered
    std::deque<TStep> Steps;
    E Error;
  } const cases[] = {
      {"no answer in time", H::TimedOut, {}, E::TimedOut},
      {"connection refused", H::Failed, {}, E::NoResponse},
      {"body stalls", H::None, {{"ab"}, {"", IHttpResponse::kReadTimedOut}}, E::TimedOut},
      {"deadline passes", H::None, {{"ab", 0, 999999}}, E::TimedOut},  // last: the clock stays there
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    client_.Refuse = c.Refused != H::None;
    client_.RefusedWith = c.Refused;
    client_.Steps = c.Steps;
    EXPECT_EQ(FetchFile(Direct("http://example.com/"), stream_, -1, ctx_).Error, c.Error);
  }
}

// Validators come from a server: one that would break the request line or
// the INI line it is kept in is dropped.
TEST_F(ScriptedDownload, ConditionalRequestSendsOnlySaneValidatorsAndBypassesThePlatformCache) {
  struct {
    const char* Name;
    TValidators Sent;
    std::vector<std::string> Extra;  // after the fixed headers
  } const cases[] = {
      {"none", {}, {}},
      {"date", {"", "Sat, 01 Jun 2024 10:00:00 GMT"}, {"If-Modified-Since: Sat, 01 Jun 2024 10:00:00 GMT"}},
      {"both", {"W/\"1\"", "D"}, {"If-None-Match: W/\"1\"", "If-Modified-Since: D"}},
      {"line break", {"\"1\"\r\nX-Evil: 1", "D\n"}, {}},
      {"too long", {"\"" + std::string(300, 'a') + "\"", ""}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TDownloadParams params = Direct("http://example.com/");
    params.Validators = c.Sent;
    FetchFile(params, stream_, -1, ctx_);
    std::vector<std::string> headers = kBodyHeaders;
    headers.insert(headers.end(), c.Extra.begin(), c.Extra.end());
    const THttpRequest& r = client_.Requests.back();
    EXPECT_EQ(r.Headers, headers);
    EXPECT_EQ(std::pair(r.BypassCache, r.Revalidate), std::pair(!c.Extra.empty(), c.Extra.empty()))
        << "the platform's cache would answer 200";
  }
}

TEST_F(ScriptedDownload, ProgressAtMostEvery300MsAndOnlyWithAFeedIndex) {
  client_.Announced = 1999;
  const std::deque<TStep> steps = {{std::string(500, 'a'), 0, 1100},
                                   {std::string(500, 'b'), 0, 1301},  // 301 ms after the start: reported
                                   {std::string(499, 'c'), 0, 1601},  // exactly 300 ms later: not yet
                                   {std::string(500, 'd'), 0, 1602}};
  client_.Steps = steps;
  EXPECT_EQ(Download(4), 1999);
  EXPECT_EQ(stream_.size(), 4u + 1999u);
  const std::vector<std::pair<unsigned, long>> expected = {{WM_FEED_PROGRESS, 4}, {WM_FEED_PROGRESS, 4}};
  EXPECT_EQ(poster_.Messages, expected);
  EXPECT_EQ(poster_.ProgressAtPost, (std::vector<int>{60, 110}));  // 50 % and 99.95 %, + 10

  run_->Progress = 77;
  client_.Tick = 1000;
  EXPECT_EQ(Download(-1), 1999);
  EXPECT_EQ(poster_.Messages.size(), 2u);
  EXPECT_EQ(run_->Progress, 77);
}

TEST_F(ScriptedDownload, FailureLeavesTheStreamUntouchedButAReadErrorEndsTheBody) {
  using Response = IHttpResponse;
  struct {
    const char* Name;
    std::int64_t Announced;
    std::deque<TStep> Steps;
    std::size_t MaxBytes;
    int Result;
    std::string Stream;
  } const cases[] = {
      {"read error", 0, {{"part"}, {"", Response::kReadFailed}, {"never"}}, kFeedMaxBytes, 4, "keptpart"},
      {"read timed out", 0, {{"abc"}, {"", Response::kReadTimedOut}}, kFeedMaxBytes, -1, "kept"},
      {"deadline passed between reads", 0, {{"abc", 0, 1500}, {"def", 0, 2001}}, kFeedMaxBytes, -1, "kept"},
      {"body at the limit", 1000, {{std::string(1000, 'x')}}, 1000, 1000, "kept" + std::string(1000, 'x')},
      {"body beyond the limit", 0, {{std::string(600, 'x')}, {std::string(600, 'y')}}, 1000, -1, "kept"},
      {"announced beyond the limit", 5000, {{"small"}}, 1000, -1, "kept"},
  };
  ctx_.Deadline = 1000ms;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    stream_ = "kept";
    client_.Tick = 1000;
    client_.Announced = c.Announced;
    client_.Steps = c.Steps;
    EXPECT_EQ(Download(-1, c.MaxBytes), c.Result);
    EXPECT_EQ(stream_, c.Stream);
  }
  // Pictures, icons and logos have their own, lower limit.
  client_.Steps = {{"picture"}};
  client_.Announced = kPictureMaxBytes;
  EXPECT_EQ(DownloadToStream("http://example.com/", {}, ctx_), "picture");
  client_.Announced = kPictureMaxBytes + 1;
  EXPECT_EQ(DownloadToStream("http://example.com/", {}, ctx_), "");
  EXPECT_TRUE(poster_.Messages.empty());

  client_.Requests.clear();
  ctx_.Cancel = MakeShared<THttpCancel>();
  ctx_.Cancel->Cancel();
  EXPECT_EQ(Download(1), -1);
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 1, ctx_, true, TFilePath()), -1);
  EXPECT_TRUE(client_.Requests.empty()) << "a cancelled request was sent";
  ctx_.Cancel = MakeShared<THttpCancel>();  // never cancelled
  client_.Refuse = true;
  EXPECT_EQ(Download(1), -1);
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 1, ctx_, true, TFilePath()), -1);
  EXPECT_EQ(stream_, "kept");
}

TEST_F(ScriptedDownload, RemoteSizeReadsTheBodyOnlyForTheTitleCheckAndOnlyToTheFirstItemTitle) {
  const std::string head = "<rss><channel><title>C</title><item><title>Same</title>";
  std::string body = head;
  for (int i = 0; i < 200; ++i) body += "<item><title>more</title></item>";
  client_.Steps = {{body}};
  client_.Announced = 1234;
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, true, TFilePath()), 1234);
  client_.Announced = 0;
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, false, TFilePath()), 0);
  EXPECT_TRUE(client_.ReadSizes.empty());

  const testing::TempFolder temp("kivo_net_title_");
  ASSERT_TRUE(WriteFileAtomic(temp.File("raw.xml"), head + "\n<item><title>other</title>"));
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, true, temp.File("raw.xml")), 0);
  EXPECT_EQ(client_.ReadSizes, std::vector<int>{100}) << "the title ends within the first 100 bytes";

  // The last download is compared line by line with CR LF; an LF feed whose
  // first title spans lines used to count as changed at every check.
  const std::string twoLines = "<rss><item><title>Two\nlines</title></item></rss>";
  ASSERT_TRUE(WriteFileAtomic(temp.File("lf.xml"), twoLines));
  client_.Steps = {{twoLines}};
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, true, temp.File("lf.xml")), 0);
}

// ---- against kivo-test-server -----------------------------------------------

std::string PercentEncode(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", c);
    out += std::isalnum(c) ? std::string(1, static_cast<char>(c)) : std::string(hex);
  }
  return out;
}

std::vector<std::string> HeadLines(const std::string& head) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = head.find("\r\n", at)) != std::string::npos && end != at; at = end + 2) {
    lines.push_back(head.substr(at, end - at));
  }
  return lines;
}

// The head's lines whose header name (in any case) is one of `names`, in their order.
std::vector<std::string> HeadersNamed(const std::string& head, std::vector<std::string_view> names) {
  std::vector<std::string> found;
  for (const std::string& line : HeadLines(head)) {
    const std::string_view name = std::string_view(line).substr(0, line.find(':'));
    for (const std::string_view wanted : names) {
      if (std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                     [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
        found.push_back(line);
      }
    }
  }
  return found;
}

std::string DataFile(const char* name) {
  return ReadFileBytes(std::filesystem::path(KIVO_SOURCE_DIR) / "tests" / "data" / name)
      .value_or("<missing>");
}

class ServerDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    http_ = test::TestServerAddress("http");
    if (http_.empty()) GTEST_SKIP() << test::kNoTestServer;
    ctx_.Deadline = 30s;
  }

  std::string Url(std::string_view target) const { return "http://" + http_ + std::string(target); }
  // The head of the last request for `target` that the origin ("origin") or the proxy ("proxy") saw.
  std::string LastRequest(std::string_view target, std::string_view listener = "origin") {
    const std::string page = listener == "proxy" ? "/_last-proxy-request" : "/_last-request";
    return DownloadToStream(Url(page + "?for=" + PercentEncode(target)), {}, ctx_);
  }
  int Fetch(const std::string& url, std::string& body, int feedIndex = -1, const TProxySettings& proxy = {}) {
    return DownloadFile(MakeDownloadParams(url, proxy), body, feedIndex, ctx_);
  }

  std::string http_;
  TNetContext ctx_{.Http = PlatformHttpClient(), .Clock = SystemClock(), .Poster = NoPoster()};
  testing::TempFolder temp_{"kivo_net_"};
};

TEST_F(ServerDownload, AddressGivesRequestLineAndOnlyTheFixedHeadersOverHttpAndTls) {
  const std::string sample = DataFile("sample_feed.xml");
  struct TCase {
    std::string Url, Host, Target;
    bool IsSample;
  };
  std::vector<TCase> cases = {
      {Url("/feeds/sample_feed.xml?case=scheme"), http_, "/feeds/sample_feed.xml?case=scheme", true},
      {http_ + "/feeds/sample_feed.xml?case=bare", http_, "/feeds/sample_feed.xml?case=bare", true},
      {Url(""), http_, "/", false},
      {http_, http_, "/", false},
  };
  // The certificate names localhost; under Windows a fixture makes the build's Wine prefix trust its CA.
  if (const std::string https = test::TestServerAddress("https"); !https.empty()) {  // empty: no openssl
    const std::string host = "localhost" + https.substr(https.find(':'));
    cases.push_back({"https://" + host + "/feeds/sample_feed.xml?case=tls", host,
                     "/feeds/sample_feed.xml?case=tls", true});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Url);
    std::string body;
    const int n = Fetch(c.Url, body);
    EXPECT_EQ(n, static_cast<int>(body.size()));
    if (c.IsSample) {
      EXPECT_EQ(body, sample);
    }
    std::vector<std::string> lines = HeadLines(LastRequest(c.Target));
    ASSERT_FALSE(lines.empty()) << "no request recorded";
    EXPECT_EQ(lines[0], "GET " + c.Target + " HTTP/1.1");
    // Exactly these and Host; where Host goes is up to the client library.
    const auto host = std::find(lines.begin(), lines.end(), "Host: " + c.Host);
    ASSERT_NE(host, lines.end());
    lines.erase(host);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), kBodyHeaders);
  }
}

// An error page used to be written over the feed's files, icon and logo.
TEST_F(ServerDownload, ErrorPageIsAFailedDownloadAndWritesNothing) {
  const std::filesystem::path fresh = temp_.File("fresh.xml"), old = temp_.File("old.xml");
  ASSERT_TRUE(WriteFileAtomic(old, "old"));
  EXPECT_EQ(DownloadToFile(Url("/empty"), fresh, -1, {}, ctx_), 0);
  EXPECT_FALSE(FileExists(fresh));
  EXPECT_EQ(DownloadToFile(Url("/empty"), old, -1, {}, ctx_), 0);
  EXPECT_EQ(DownloadToFile(Url("/no/such/feed.xml"), old, -1, {}, ctx_), -1);
  EXPECT_EQ(ReadFileBytes(old).value_or(""), "old");
}

TEST_F(ServerDownload, ProxyCredentialsOnlyWithProxyAndAuth) {
  const std::string proxyAddress = test::TestServerAddress("proxy");
  ASSERT_FALSE(proxyAddress.empty());
  const std::string proxyHost = proxyAddress.substr(0, proxyAddress.find(':'));
  const std::string proxyPort = proxyAddress.substr(proxyAddress.find(':') + 1);
  const std::string sample = DataFile("sample_feed.xml");
  struct {
    const char* Case;
    bool UseProxy, ProxyAuth;
    const char* Password;
    bool GetsFeed;
  } const cases[] = {
      {"proxy-no-auth", true, false, test::kTestProxyPassword, false},
      {"proxy-auth", true, true, test::kTestProxyPassword, true},
      {"proxy-wrong-password", true, true, "wrong", false},
      {"no-proxy-auth-on", false, true, test::kTestProxyPassword, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    const TProxySettings proxy{c.UseProxy, c.ProxyAuth,          proxyHost,
                               proxyPort,  test::kTestProxyUser, c.Password};
    const std::string target = std::string("/feeds/sample_feed.xml?case=") + c.Case;
    std::string body;
    const TDownloadOutcome outcome = FetchFile(MakeDownloadParams(Url(target), proxy), body, -1, ctx_);
    EXPECT_EQ(outcome.Status, c.GetsFeed ? 200 : 407);
    EXPECT_EQ(body, c.GetsFeed ? sample : "");
    const std::string head = LastRequest(c.UseProxy ? Url(target) : target, c.UseProxy ? "proxy" : "origin");
    ASSERT_FALSE(HeadLines(head).empty()) << "no request recorded";
    EXPECT_EQ(HeadersNamed(head, {"Accept", "Proxy-Connection", "Accept-Language", "User-Agent"}),
              kFixedHeaders)
        << head;
    const bool sendsAuth = !HeadersNamed(head, {"Proxy-Authorization"}).empty();
    EXPECT_EQ(sendsAuth, c.UseProxy && c.ProxyAuth) << head;
    EXPECT_TRUE(HeadersNamed(head, {"Authorization"}).empty()) << head;
    if (c.UseProxy) {
      EXPECT_EQ(HeadLines(head)[0], "GET " + Url(target) + " HTTP/1.1");
    }
  }
}

// The proxy's password went to any origin that answered 401 with a Basic
// challenge; a picture address in any feed could collect it.
TEST_F(ServerDownload, ProxyCredentialsNeverAnswerAnOriginsChallenge) {
  const std::string proxyAddress = test::TestServerAddress("proxy");
  ASSERT_FALSE(proxyAddress.empty());
  for (const bool useProxy : {true, false}) {
    const std::string port = proxyAddress.substr(proxyAddress.find(':') + 1);
    const TProxySettings proxy{useProxy,
                               true,
                               proxyAddress.substr(0, proxyAddress.find(':')),
                               port,
                               test::kTestProxyUser,
                               test::kTestProxyPassword};
    const std::string target = std::string("/auth/basic?case=") + (useProxy ? "proxy" : "direct");
    std::string body;
    const TDownloadOutcome outcome = FetchFile(MakeDownloadParams(Url(target), proxy), body, -1, ctx_);
    EXPECT_EQ(std::tie(outcome.Result, outcome.Status), std::make_tuple(-1, 401)) << target;
    const std::string origin = LastRequest(target);
    ASSERT_FALSE(HeadLines(origin).empty()) << "the origin saw no request";
    EXPECT_TRUE(HeadersNamed(origin, {"Authorization"}).empty()) << origin;
  }
}

// The limit is the decoded size's: a small compressed body can unpack into a large one.
TEST_F(ServerDownload, CompressedBodiesArriveDecodedAndTheLimitHoldsForTheDecodedSize) {
  const std::string sample = DataFile("sample_feed.xml");
  for (const std::string coding : {"gzip", "deflate"}) {
    SCOPED_TRACE(coding);
    const std::string url = Url("/" + coding + "/sample_feed.xml?case=decoded");
    std::string body;
    EXPECT_EQ(Fetch(url, body), static_cast<int>(sample.size()));
    EXPECT_EQ(body, sample);
    EXPECT_EQ(DownloadFile(Direct(url), body, -1, ctx_, sample.size() - 1), -1);
  }
}

TEST_F(ServerDownload, RevalidationWithTheStoredValidatorsGets304AndNoBody) {
  const std::string url = Url("/cond/sample_feed.xml");
  std::string body;
  const TDownloadOutcome first = FetchFile(Direct(url), body, -1, ctx_);
  ASSERT_EQ(first.Status, 200);
  for (const TValidators& sent : {first.Validators, TValidators{}}) {
    TDownloadParams params = Direct(url);
    params.Validators = sent;
    const TDownloadOutcome again = FetchFile(params, body, -1, ctx_);
    EXPECT_EQ(std::tie(again.NotModified, again.Result),
              std::make_tuple(!sent.Empty(), sent.Empty() ? first.Result : 0));
  }
}

TEST_F(ServerDownload, SlowBodyPostsRisingProgress) {
  auto run = std::make_shared<TFeedRunState>();
  TRecordingPoster poster(run);
  const TNetContext ctx{
      .Http = ctx_.Http, .Clock = ctx_.Clock, .Poster = poster, .Run = run, .Deadline = ctx_.Deadline};
  std::string body;
  EXPECT_EQ(DownloadFile(MakeDownloadParams(Url("/slow"), {}), body, 3, ctx), 80000);
  ASSERT_GE(poster.Messages.size(), 3u);
  EXPECT_EQ(poster.Messages, decltype(poster.Messages)(poster.Messages.size(), {WM_FEED_PROGRESS, 3}));
  EXPECT_GE(poster.ProgressAtPost.front(), 10);
  EXPECT_LE(poster.ProgressAtPost.back(), 110);
  EXPECT_TRUE(std::is_sorted(poster.ProgressAtPost.begin(), poster.ProgressAtPost.end()));
  EXPECT_LT(poster.ProgressAtPost.front(), poster.ProgressAtPost.back());
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(ServerDownload, RemoteSizeIsTheAnnouncedLengthElseTheFirstItemTitleComparison) {
  const std::string sample = DataFile("sample_feed.xml");
  EXPECT_EQ(GetRemoteSize(Direct(Url("/feeds/sample_feed.xml")), 0, ctx_, false, TFilePath()),
            static_cast<int>(sample.size()));
  EXPECT_EQ(GetRemoteSize(Direct(Url("/chunked/sample_feed.xml")), 0, ctx_, false, TFilePath()), 0);

  const std::string attributed = DataFile("feed_item_attributes.xml");
  struct {
    const char* Case;
    const char* Remote;
    std::optional<std::string> Local;
    bool Changed;
  } const cases[] = {
      {"no last download", "sample_feed.xml", std::nullopt, true},
      {"same feed", "sample_feed.xml", sample, false},
      {"later item changed", "sample_feed.xml", Replace(sample, "Second &lt;joke&gt;", "Third"), false},
      {"first item changed", "sample_feed.xml", Replace(sample, "&quot;и&quot; кот", "и пёс"), true},
      {"case of the title", "sample_feed.xml", Replace(sample, "Программист", "программист"), true},
      {"attributed items, item changed", "feed_item_attributes.xml", Replace(attributed, "First item", "New"),
       false},
      {"attributed items, channel changed", "feed_item_attributes.xml",
       Replace(attributed, "Channel with attributed items", "Renamed"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    const std::filesystem::path local = temp_.File(c.Local ? "raw.xml" : "absent.xml");
    if (c.Local) {
      ASSERT_TRUE(WriteFileAtomic(local, *c.Local));
    }
    const int size = GetRemoteSize(Direct(Url(std::string("/chunked/") + c.Remote)), 0, ctx_, true, local);
    EXPECT_TRUE(c.Changed ? size >= 1 && size <= 200000000 : size == 0) << size;
  }
}

TEST_F(ServerDownload, HungServerFailsAtTheDeadlineOrSoonAfterACancel) {
  for (const bool cancel : {false, true}) {
#ifdef _WIN32
    if (cancel) continue;  // WinInet gives up a blocked wait only at its deadline
#endif
    for (const char* target : {"/hang", "/hang-headers"}) {
      SCOPED_TRACE(std::string(target) + (cancel ? ", cancelled after 300 ms" : ", deadline 2 s"));
      ctx_.Deadline = cancel ? 60s : 2s;
      ctx_.Cancel = MakeShared<THttpCancel>();
      std::thread stopper;
      if (cancel) {
        stopper = std::thread([stop = ctx_.Cancel] {
          std::this_thread::sleep_for(300ms);
          stop->Cancel();
        });
      }
      std::string body = "kept";
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(Fetch(Url(target), body), -1);
      const auto took = std::chrono::steady_clock::now() - start;
      if (stopper.joinable()) stopper.join();
      EXPECT_EQ(body, "kept");
      EXPECT_LT(took, 8s);
    }
  }
}

// A server that accepts and never answers held a load for the whole request
// deadline; every step now gives up after its own wait, as timed out.
TEST_F(ServerDownload, SilentServerTimesOutAfterOneWait) {
  ctx_.Deadline = 60s;
  ctx_.Wait = 1s;
  for (const char* target : {"/hang-headers?case=wait", "/hang?case=wait"}) {
    SCOPED_TRACE(target);
    std::string body;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchFile(Direct(Url(target)), body, -1, ctx_).Error, TDownloadError::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
  }
}

TEST_F(ServerDownload, UnreachableServerFails) {
  std::string body;
  EXPECT_EQ(Fetch("http://127.0.0.1:1/feed.xml", body), -1);
  EXPECT_EQ(GetRemoteSize(Direct("http://127.0.0.1:1/feed.xml"), 0, ctx_, true, TFilePath()), -1);
}

}  // namespace
}  // namespace kivo
