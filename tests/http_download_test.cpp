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
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "feeds/FeedMessages.h"
#include "feeds/procinet.h"
#include "tests/TestServer.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::vector<std::string> kFixedHeaders = {
    "Accept: */*",
    "Proxy-Connection: Keep-Alive",
    "Accept-Language: ru",
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)",
};

class TFakeClock final : public IClock {
 public:
  std::uint64_t TickMs() override { return Tick; }
  TDateTime Now() override { return 0; }
  std::uint64_t Tick = 1000;
};

class TRecordingPoster final : public IMessagePoster {
 public:
  explicit TRecordingPoster(std::shared_ptr<TFeedRunState> run) : run_(std::move(run)) {}
  void Post(unsigned message, long lParam) override {
    std::lock_guard lock(mutex_);
    Messages.emplace_back(message, lParam);
    ProgressAtPost.push_back(run_->Progress);
  }
  std::vector<std::pair<unsigned, long>> Messages;
  std::vector<int> ProgressAtPost;

 private:
  std::mutex mutex_;
  std::shared_ptr<TFeedRunState> run_;
};

TDownloadParams Direct(const std::string& url) {
  return MakeDownloadParams(url, {});
}

// ---- pure pieces ----------------------------------------------------------

struct TAddressCase {
  const char* Url;
  const char* Host;
  int Port;
  bool Secure;
  const char* Target;
};

TEST(SplitAddress, FindsHostPortAndTarget) {
  const TAddressCase cases[] = {
      {"http://example.com/rss/feed.xml", "example.com", 80, false, "/rss/feed.xml"},
      {"example.com/rss/feed.xml", "example.com", 80, false, "/rss/feed.xml"},
      {"http://example.com", "example.com", 80, false, "/"},
      {"http://example.com/", "example.com", 80, false, "/"},
      {"http://example.com/a?b=c&d=/e", "example.com", 80, false, "/a?b=c&d=/e"},
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
  for (const TAddressCase& c : cases) {
    const TRequestAddress address = SplitAddress(c.Url);
    EXPECT_EQ(address.Host, c.Host) << c.Url;
    EXPECT_EQ(address.Port, c.Port) << c.Url;
    EXPECT_EQ(address.Secure, c.Secure) << c.Url;
    EXPECT_EQ(address.Target, c.Target) << c.Url;
    EXPECT_EQ(ExtractHost(c.Url), c.Host) << c.Url;
  }
}

TEST(ProgressPercent, RoundsHalvesToEven) {
  struct {
    std::int64_t Received, Announced, Percent;
  } const cases[] = {
      {0, 0, 0},
      {1, 1, 50},
      {1, 7, 12},
      {3, 7, 38},
      {5, 7, 62},
      {1, 199, 0},
      {3, 199, 2},
      {2, 2, 67},
      {999, 999, 100},
      {100, 0, 10000},
      {33554432, 0, 3355443200},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPercent(c.Received, c.Announced), c.Percent) << c.Received << "/" << c.Announced;
  }
}

TEST(MakeDownloadParams, CredentialsOnlyWithProxyAndAuth) {
  struct {
    bool UseProxy, ProxyAuth;
    const char *Proxy, *User, *Password;
  } const cases[] = {
      {false, false, "", "", ""},
      {false, true, "", "", ""},
      {true, false, "proxy.local:3128", "", ""},
      {true, true, "proxy.local:3128", "user", "pw"},
  };
  for (const auto& c : cases) {
    TProxySettings proxy{c.UseProxy, c.ProxyAuth, "proxy.local", "3128", "user", "pw"};
    const TDownloadParams params = MakeDownloadParams("http://example.com/", proxy);
    EXPECT_EQ(params.URL, "http://example.com/");
    EXPECT_EQ(params.Proxy, c.Proxy);
    EXPECT_EQ(params.ProxyBypass, "");
    EXPECT_EQ(params.UserName, c.User);
    EXPECT_EQ(params.Password, c.Password);
  }
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

// ---- the protocol against a scripted client ---------------------------------

// One read: bytes, or a read result when Bytes is empty; the clock reads Tick after it.
struct TStep {
  std::string Bytes;
  int Result = 0;
  std::uint64_t Tick = 0;
};

class TScriptedResponse final : public IHttpResponse {
 public:
  TScriptedResponse(std::int64_t announced, std::deque<TStep> steps, TFakeClock& clock,
                    std::vector<int>& sizes)
      : announced_(announced), steps_(std::move(steps)), clock_(clock), sizes_(sizes) {}
  std::int64_t AnnouncedSize() override { return announced_; }
  int Read(char* buffer, int size) override {
    sizes_.push_back(size);
    if (steps_.empty()) return 0;
    TStep& step = steps_.front();
    if (step.Tick != 0) clock_.Tick = step.Tick;
    if (step.Bytes.empty()) {
      const int result = step.Result;
      steps_.pop_front();
      return result;
    }
    const std::size_t n = std::min(step.Bytes.size(), static_cast<std::size_t>(size));
    std::copy_n(step.Bytes.data(), n, buffer);
    step.Bytes.erase(0, n);
    if (step.Bytes.empty()) steps_.pop_front();
    return static_cast<int>(n);
  }

 private:
  std::int64_t announced_;
  std::deque<TStep> steps_;
  TFakeClock& clock_;
  std::vector<int>& sizes_;
};

class TScriptedClient final : public IHttpClient {
 public:
  std::unique_ptr<IHttpResponse> Get(const THttpRequest& request) override {
    Requests.push_back(request);
    if (Refuse) return nullptr;
    return std::make_unique<TScriptedResponse>(Announced, Steps, Clock, ReadSizes);
  }
  std::vector<THttpRequest> Requests;
  bool Refuse = false;
  std::int64_t Announced = 0;
  std::deque<TStep> Steps;
  TFakeClock Clock;
  std::vector<int> ReadSizes;
};

class ScriptedDownload : public ::testing::Test {
 protected:
  ScriptedDownload() : poster_(run_) {
    ctx_.Http = &client_;
    ctx_.Clock = &client_.Clock;
    ctx_.Poster = &poster_;
    ctx_.Run = run_;
    run_->Progress = 77;
  }
  TScriptedClient client_;
  std::shared_ptr<TFeedRunState> run_ = std::make_shared<TFeedRunState>();
  TRecordingPoster poster_;
  TNetContext ctx_;
  std::string stream_ = "kept";
};

TEST_F(ScriptedDownload, RequestCarriesAddressProxyCredentialsAndFixedHeaders) {
  ctx_.Deadline = 5s;
  TProxySettings proxy{true, true, "proxy.local", "3128", "user", "pw"};
  DownloadFile(MakeDownloadParams("http://example.com:8080/a/b?c", proxy), stream_, 0, ctx_);
  GetRemoteSize(MakeDownloadParams("example.com/a", proxy), 0, ctx_, false, "");
  ASSERT_EQ(client_.Requests.size(), 2u);
  const THttpRequest& download = client_.Requests[0];
  EXPECT_EQ(download.Host, "example.com");
  EXPECT_EQ(download.Port, 8080);
  EXPECT_EQ(download.Target, "/a/b?c");
  EXPECT_EQ(download.Proxy, "proxy.local:3128");
  EXPECT_EQ(download.UserName, "user");
  EXPECT_EQ(download.Password, "pw");
  EXPECT_EQ(download.Headers, kFixedHeaders);
  EXPECT_TRUE(download.Revalidate);
  EXPECT_EQ(download.Timeout, 5s);
  EXPECT_FALSE(client_.Requests[1].Revalidate) << "a size query passes no cache flags";
  EXPECT_EQ(client_.Requests[1].Headers, kFixedHeaders);
}

TEST_F(ScriptedDownload, ProgressAtMostEvery300MsRoundedHalfToEven) {
  client_.Announced = 1999;
  client_.Steps = {{std::string(500, 'a'), 0, 1100},
                   {std::string(500, 'b'), 0, 1301},  // 301 ms after the start: reported
                   {std::string(499, 'c'), 0, 1601},  // exactly 300 ms later: not yet
                   {std::string(500, 'd'), 0, 1602}};
  EXPECT_EQ(DownloadFile(Direct("http://example.com/"), stream_, 4, ctx_), 1999);
  EXPECT_EQ(stream_.size(), 4u + 1999u);
  const std::vector<std::pair<unsigned, long>> expected = {{WM_FEED_PROGRESS, 4}, {WM_FEED_PROGRESS, 4}};
  EXPECT_EQ(poster_.Messages, expected);
  EXPECT_EQ(poster_.ProgressAtPost, (std::vector<int>{60, 110}));  // 50 % and 99.95 %, + 10
  EXPECT_TRUE(
      std::all_of(client_.ReadSizes.begin(), client_.ReadSizes.end(), [](int n) { return n == 2000; }));
}

TEST_F(ScriptedDownload, NegativeFeedIndexPostsNothingAndLeavesProgress) {
  client_.Steps = {{"abc", 0, 2000}, {"def", 0, 3000}};
  EXPECT_EQ(DownloadFile(Direct("http://example.com/"), stream_, -1, ctx_), 6);
  EXPECT_TRUE(poster_.Messages.empty());
  EXPECT_EQ(run_->Progress, 77);
}

TEST_F(ScriptedDownload, ReadErrorDeliversBytesSoFar) {
  client_.Steps = {{"partial", 0, 0}, {"", IHttpResponse::kReadFailed, 0}, {"never", 0, 0}};
  EXPECT_EQ(DownloadFile(Direct("http://example.com/"), stream_, -1, ctx_), 7);
  EXPECT_EQ(stream_, "keptpartial");
}

TEST_F(ScriptedDownload, FailuresLeaveStreamUntouched) {
  struct {
    const char* Name;
    std::int64_t Announced;
    std::deque<TStep> Steps;
    std::size_t MaxBytes;
  } const cases[] = {
      {"read timed out", 0, {{"abc", 0, 0}, {"", IHttpResponse::kReadTimedOut, 0}}, kFeedMaxBytes},
      {"deadline passed between reads", 0, {{"abc", 0, 1500}, {"def", 0, 2001}}, kFeedMaxBytes},
      {"body beyond the limit", 0, {{std::string(600, 'x'), 0, 0}, {std::string(600, 'y'), 0, 0}}, 1000},
      {"announced beyond the limit", 5000, {{"small", 0, 0}}, 1000},
  };
  ctx_.Deadline = 1000ms;
  for (const auto& c : cases) {
    client_.Announced = c.Announced;
    client_.Steps = c.Steps;
    client_.Clock.Tick = 1000;
    EXPECT_EQ(DownloadFile(Direct("http://example.com/"), stream_, -1, ctx_, c.MaxBytes), -1) << c.Name;
    EXPECT_EQ(stream_, "kept") << c.Name;
  }
  client_.Refuse = true;
  EXPECT_EQ(DownloadFile(Direct("http://example.com/"), stream_, 1, ctx_), -1);
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 1, ctx_, true, ""), -1);
  EXPECT_EQ(stream_, "kept");
  EXPECT_TRUE(poster_.Messages.empty());
}

TEST_F(ScriptedDownload, RemoteSizeReadsNoBodyUnlessComparingTitles) {
  client_.Steps = {{"<item><title>x</title>", 0, 0}};
  client_.Announced = 1234;
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, true, ""), 1234);
  client_.Announced = 0;
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, false, ""), 0);
  EXPECT_TRUE(client_.ReadSizes.empty());
}

TEST_F(ScriptedDownload, TitleCheckStopsReadingAfterFirstItemTitle) {
  const std::string head = "<rss><channel><title>C</title><item><title>Same</title>";
  std::string body = head;
  for (int i = 0; i < 200; ++i) body += "<item><title>more</title></item>";
  client_.Steps = {{body, 0, 0}};
  const fs::path local =
      fs::temp_directory_path() / ("kivo_net_title_" + std::to_string(std::random_device{}()));
  std::ofstream(local, std::ios::binary) << head << "\n<item><title>other</title>";
  EXPECT_EQ(GetRemoteSize(Direct("http://example.com/"), 0, ctx_, true, local.string()), 0);
  fs::remove(local);
  EXPECT_TRUE(
      std::all_of(client_.ReadSizes.begin(), client_.ReadSizes.end(), [](int n) { return n == 100; }));
  EXPECT_EQ(client_.ReadSizes.size(), 1u) << "the title ends within the first 100 bytes";
}

// ---- against kivo-test-server -----------------------------------------------

std::string PercentEncode(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
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

bool HasHeader(const std::string& head, std::string_view name) {
  for (const std::string& line : HeadLines(head)) {
    if (line.size() > name.size() && line[name.size()] == ':' &&
        std::equal(name.begin(), name.end(), line.begin(),
                   [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
      return true;
    }
  }
  return false;
}

// The fixed headers, in their order, each once.
std::vector<std::string> FixedHeadersOf(const std::string& head) {
  std::vector<std::string> found;
  for (const std::string& line : HeadLines(head)) {
    for (const char* name : {"Accept", "Proxy-Connection", "Accept-Language", "User-Agent"}) {
      if (HasHeader(line + "\r\n\r\n", name)) found.push_back(line);
    }
  }
  return found;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string DataFile(const char* name) {
  return ReadFile(fs::path(KIVO_SOURCE_DIR) / "tests" / "data" / name);
}

class ServerDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    http_ = test::TestServerAddress("http");
    if (http_.empty()) GTEST_SKIP() << test::kNoTestServer;
    ctx_.Http = &PlatformHttpClient();
    ctx_.Deadline = 30s;
    dir_ = fs::temp_directory_path() / ("kivo_net_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
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
  TNetContext ctx_;
  fs::path dir_;
};

TEST_F(ServerDownload, AddressGivesRequestLineAndFixedHeadersInOrder) {
  const std::string sample = DataFile("sample_feed.xml");
  struct {
    std::string Url, Target;
    const std::string* Body;
  } const cases[] = {
      {Url("/feeds/sample_feed.xml?case=scheme"), "/feeds/sample_feed.xml?case=scheme", &sample},
      {http_ + "/feeds/sample_feed.xml?case=bare", "/feeds/sample_feed.xml?case=bare", &sample},
      {Url(""), "/", nullptr},
      {http_, "/", nullptr},
  };
  for (const auto& c : cases) {
    std::string body;
    const int n = Fetch(c.Url, body);
    EXPECT_EQ(n, static_cast<int>(body.size())) << c.Url;
    if (c.Body) {
      EXPECT_EQ(body, *c.Body) << c.Url;
    }
    const std::string head = LastRequest(c.Target);
    ASSERT_FALSE(HeadLines(head).empty()) << c.Url << ": no request recorded";
    EXPECT_EQ(HeadLines(head)[0], "GET " + c.Target + " HTTP/1.1") << c.Url;
    // Exactly these and Host; where Host goes is up to the client library.
    std::vector<std::string> headers = HeadLines(head);
    headers.erase(headers.begin());
    const auto host = std::find(headers.begin(), headers.end(), "Host: " + http_);
    ASSERT_NE(host, headers.end()) << head;
    headers.erase(host);
    EXPECT_EQ(headers, kFixedHeaders) << head;
  }
}

TEST_F(ServerDownload, SchemelessAddressSendsSameBytes) {
  std::string body;
  Fetch(Url("/feeds/sample_feed.xml?case=same"), body);
  const std::string withScheme = LastRequest("/feeds/sample_feed.xml?case=same");
  Fetch(http_ + "/feeds/sample_feed.xml?case=same", body);
  EXPECT_EQ(LastRequest("/feeds/sample_feed.xml?case=same"), withScheme);
}

TEST_F(ServerDownload, EmptyResponseWritesNoFile) {
  std::string body = "kept";
  EXPECT_EQ(Fetch(Url("/empty"), body), 0);
  EXPECT_EQ(body, "kept");
  const fs::path fresh = dir_ / "fresh.xml";
  EXPECT_EQ(DownloadToFile(Url("/empty"), fresh.string(), -1, {}, ctx_), 0);
  EXPECT_FALSE(fs::exists(fresh));
  const fs::path old = dir_ / "old.xml";
  std::ofstream(old, std::ios::binary) << "old";
  EXPECT_EQ(DownloadToFile(Url("/empty"), old.string(), -1, {}, ctx_), 0);
  EXPECT_EQ(ReadFile(old), "old");
}

TEST_F(ServerDownload, NotFoundPageIsSavedLikeAFeed) {
  const fs::path file = dir_ / "feed.xml";
  const int n = DownloadToFile(Url("/no/such/feed.xml"), file.string(), -1, {}, ctx_);
  const std::string saved = ReadFile(file);
  EXPECT_GT(n, 0);
  EXPECT_EQ(static_cast<int>(saved.size()), n);
  EXPECT_NE(saved.find("Not Found"), std::string::npos) << saved;
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
    const TProxySettings proxy{c.UseProxy, c.ProxyAuth,          proxyHost,
                               proxyPort,  test::kTestProxyUser, c.Password};
    const std::string target = std::string("/feeds/sample_feed.xml?case=") + c.Case;
    std::string body;
    EXPECT_GT(Fetch(Url(target), body, -1, proxy), 0) << c.Case;
    if (c.GetsFeed) {
      EXPECT_EQ(body, sample) << c.Case;
    } else {
      EXPECT_NE(body.find("Proxy Authentication Required"), std::string::npos) << c.Case << ": " << body;
    }
    const std::string head = LastRequest(c.UseProxy ? Url(target) : target, c.UseProxy ? "proxy" : "origin");
    ASSERT_FALSE(HeadLines(head).empty()) << c.Case << ": no request recorded";
    EXPECT_EQ(FixedHeadersOf(head), kFixedHeaders) << c.Case << "\n" << head;
    if (!c.UseProxy) {
      EXPECT_FALSE(HasHeader(head, "Authorization") || HasHeader(head, "Proxy-Authorization")) << head;
    } else if (!c.ProxyAuth) {
      EXPECT_FALSE(HasHeader(head, "Proxy-Authorization")) << head;
    } else {
      EXPECT_EQ(HeadLines(head)[0], "GET " + Url(target) + " HTTP/1.1");
      EXPECT_TRUE(HasHeader(head, "Proxy-Authorization")) << head;
    }
  }
}

TEST_F(ServerDownload, FastBodyPostsNoProgress) {
  auto run = std::make_shared<TFeedRunState>();
  run->Progress = 5;
  TRecordingPoster poster(run);
  ctx_.Poster = &poster;
  ctx_.Run = run;
  std::string body;
  EXPECT_GT(Fetch(Url("/feeds/sample_feed.xml?case=fast"), body, 2), 0);
  EXPECT_TRUE(poster.Messages.empty());
  EXPECT_EQ(run->Progress, 5);
}

TEST_F(ServerDownload, SlowBodyPostsRisingProgress) {
  auto run = std::make_shared<TFeedRunState>();
  TRecordingPoster poster(run);
  ctx_.Poster = &poster;
  ctx_.Run = run;
  std::string body;
  EXPECT_EQ(Fetch(Url("/slow"), body, 3), 80000);
  ASSERT_GE(poster.Messages.size(), 3u);
  for (const auto& [message, lParam] : poster.Messages) {
    EXPECT_EQ(message, WM_FEED_PROGRESS);
    EXPECT_EQ(lParam, 3);
  }
  EXPECT_GE(poster.ProgressAtPost.front(), 10);
  EXPECT_LE(poster.ProgressAtPost.back(), 110);
  EXPECT_TRUE(std::is_sorted(poster.ProgressAtPost.begin(), poster.ProgressAtPost.end()));
  EXPECT_LT(poster.ProgressAtPost.front(), poster.ProgressAtPost.back());
}

TEST_F(ServerDownload, RemoteSizeIsAnnouncedLengthOrZero) {
  EXPECT_EQ(GetRemoteSize(Direct(Url("/feeds/sample_feed.xml")), 0, ctx_, false, ""),
            static_cast<int>(DataFile("sample_feed.xml").size()));
  EXPECT_EQ(GetRemoteSize(Direct(Url("/chunked/sample_feed.xml")), 0, ctx_, false, ""), 0);
  EXPECT_GT(
      GetRemoteSize(Direct(Url("/chunked/sample_feed.xml")), 0, ctx_, true, (dir_ / "absent.xml").string()),
      0)
      << "no last download: the titles differ";
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  const std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TEST_F(ServerDownload, TitleCheckComparesFirstItemTitle) {
  const std::string sample = DataFile("sample_feed.xml");
  const std::string attributed = DataFile("feed_item_attributes.xml");
  struct {
    const char* Case;
    const char* Remote;
    std::string Local;
    bool Changed;
  } const cases[] = {
      {"same feed", "sample_feed.xml", sample, false},
      {"other line ends", "sample_feed.xml", WithCrLf(sample), false},
      {"later item changed", "sample_feed.xml", Replace(sample, "Second &lt;joke&gt;", "Third"), false},
      {"first item changed", "sample_feed.xml", Replace(sample, "&quot;и&quot; кот", "и пёс"), true},
      {"case of the title", "sample_feed.xml", Replace(sample, "Программист", "программист"), true},
      {"attributed items, item changed", "feed_item_attributes.xml", Replace(attributed, "First item", "New"),
       false},
      {"attributed items, channel changed", "feed_item_attributes.xml",
       Replace(attributed, "Channel with attributed items", "Renamed"), true},
  };
  for (const auto& c : cases) {
    const fs::path local = dir_ / "raw.xml";
    std::ofstream(local, std::ios::binary | std::ios::trunc) << c.Local;
    const int size =
        GetRemoteSize(Direct(Url(std::string("/chunked/") + c.Remote)), 0, ctx_, true, local.string());
    if (c.Changed) {
      EXPECT_GE(size, 1) << c.Case;
      EXPECT_LE(size, 200000000) << c.Case;
    } else {
      EXPECT_EQ(size, 0) << c.Case;
    }
  }
}

TEST_F(ServerDownload, BodiesBeyondLimitFail) {
  const std::size_t picture = kPictureMaxBytes;
  EXPECT_EQ(DownloadToStream(Url("/big/" + std::to_string(picture)), {}, ctx_).size(), picture);
  EXPECT_TRUE(DownloadToStream(Url("/big/" + std::to_string(picture + 1)), {}, ctx_).empty());
  std::string body;
  EXPECT_EQ(Fetch(Url("/big-chunked/" + std::to_string(kFeedMaxBytes + 1)), body), -1);
  EXPECT_TRUE(body.empty());
}

TEST_F(ServerDownload, HungServerFailsAtDeadline) {
  ctx_.Deadline = 2s;
  for (const char* target : {"/hang", "/hang-headers"}) {
    std::string body = "kept";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(Url(target), body), -1) << target;
    EXPECT_EQ(body, "kept") << target;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << target;
  }
}

TEST_F(ServerDownload, CancelCutsOffHungServerLongBeforeDeadline) {
#ifdef _WIN32
  GTEST_SKIP() << "WinInet gives up a blocked wait only at its deadline";
#endif
  ctx_.Deadline = 60s;
  for (const char* target : {"/hang", "/hang-headers"}) {
    ctx_.Cancel = std::make_shared<THttpCancel>();
    std::thread stopper([cancel = ctx_.Cancel] {
      std::this_thread::sleep_for(300ms);
      cancel->Cancel();
    });
    std::string body = "kept";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(Url(target), body), -1) << target;
    stopper.join();
    EXPECT_EQ(body, "kept") << target;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << target;
  }
}

TEST_F(ServerDownload, CancelledRequestIsNeverSent) {
  ctx_.Cancel = std::make_shared<THttpCancel>();
  ctx_.Cancel->Cancel();
  std::string body;
  EXPECT_EQ(Fetch(Url("/feeds/sample_feed.xml?cancelled"), body), -1);
  EXPECT_EQ(GetRemoteSize(Direct(Url("/feeds/sample_feed.xml?cancelled")), 0, ctx_, false, ""), -1);
  ctx_.Cancel.reset();
  EXPECT_EQ(LastRequest("/feeds/sample_feed.xml?cancelled"), "");
}

TEST_F(ServerDownload, UnreachableServerFails) {
  std::string body;
  EXPECT_EQ(Fetch("http://127.0.0.1:1/feed.xml", body), -1);
  EXPECT_EQ(GetRemoteSize(Direct("http://127.0.0.1:1/feed.xml"), 0, ctx_, true, ""), -1);
}

TEST_F(ServerDownload, HttpsAddressGoesOverTls) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows does not trust the test server's certificate";
#endif
  const std::string https = test::TestServerAddress("https");
  if (https.empty()) GTEST_SKIP() << "the test server runs without HTTPS (no openssl at configure time)";
  std::string body;
  EXPECT_EQ(Fetch("https://" + https + "/feeds/sample_feed.xml?case=tls", body),
            static_cast<int>(DataFile("sample_feed.xml").size()));
  const std::string head = LastRequest("/feeds/sample_feed.xml?case=tls");
  ASSERT_FALSE(HeadLines(head).empty());
  EXPECT_EQ(HeadLines(head)[0], "GET /feeds/sample_feed.xml?case=tls HTTP/1.1");
  EXPECT_EQ(FixedHeadersOf(head), kFixedHeaders);
}

}  // namespace
}  // namespace kivo
