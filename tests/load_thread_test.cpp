#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/FeedMessages.h"
#include "feeds/LoadThread.h"
#include "platform/FileIo.h"
#include "tests/support/FeedTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

using testing::FakeRoute;

constexpr char kFeedUrl[] = "http://feeds.test/news/rss.xml";
constexpr char kFeedPath[] = "feeds.test/news/rss.xml";
const std::string kOldLogo = "GIF89a old logo";
const std::string kNewLogo = "BM new logo bytes";

std::string FeedWith(const std::string& channelContent) {
  return R"(<?xml version="1.0" encoding="utf-8"?><rss><channel><title>News</title>)" + channelContent +
         "</channel></rss>";
}

const std::string kTwoItems = FeedWith(
    "<image><url>http://img.test/logo.gif</url></image>"
    "<item><title>First</title><pubDate>d1</pubDate></item>"
    "<item><title>Second</title><pubDate>d2</pubDate></item>");

class LoadThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rss_.SetCount(1);
    tchannels& feed = Feed();
    feed.Url = kFeedUrl;
    feed.CacheFile = temp_.File("feed.rss");
    feed.RawFile = temp_.File("feed.xml");
    feed.TitleTag = "title";
    feed.DescriptionTag = "description";
    feed.PubDateTag = "pubDate";
    feed.CategoryTag = "category";
    feed.LinkTag = "link";
    feed.ImageTag = "image";
    feed.CheckDoubleTags = true;
  }

  tchannels& Feed() { return rss_.Channels[0]; }
  TFilePath FileOf(const char* extension) { return ChangeFileExt(Feed().CacheFile, extension); }
  void Write(const TFilePath& path, const std::string& bytes) { ASSERT_TRUE(WriteFileAtomic(path, bytes)); }
  std::string Read(const TFilePath& path) { return ReadFileBytes(path).value_or("<missing>"); }

  TLoadResult LoadNow() { return LoadFeed(TakeLoadSnapshot(rss_, 0, globals_), services_); }

  // Runs the worker to its end and adopts what it handed over.
  bool LoadInThread() {
    { const auto worker = StartLoadThread(TakeLoadSnapshot(rss_, 0, globals_), services_); }
    return AdoptLoadResult(rss_, *mailbox_, 0);
  }

  testing::TempFolder temp_{"kivo_load_"};
  TRSS rss_;
  TPluginGlobals globals_;
  testing::FakeHttpClient http_;
  testing::FakeClock clock_;
  TSharedRef<testing::MessageQueue> queue_ = MakeShared<testing::MessageQueue>();
  testing::FirstBytePictureDecoder decoder_;
  TFixedLocaleFormats locale_;
  TSharedRef<TLoadMailbox> mailbox_ = MakeShared<TLoadMailbox>();
  TLoadServices services_{.Http = http_,
                          .Clock = clock_,
                          .ImageDecoder = decoder_,
                          .Locale = locale_,
                          .Threads = SystemThreads(),
                          .Poster = queue_,
                          .Mailbox = mailbox_,
                          .Cancel = MakeShared<THttpCancel>()};
};

TEST_F(LoadThreadTest, SuccessfulLoadWritesCacheIconAndLogoAndComposesThePage) {
  http_.Serve(kFeedPath, kTwoItems);
  http_.Serve("feeds.test/favicon.ico", "icon bytes");
  http_.Serve("img.test/logo.gif", kNewLogo);
  const TLoadResult result = LoadNow();

  EXPECT_TRUE(result.Converted);
  EXPECT_TRUE(result.CacheChanged);
  EXPECT_EQ(result.NetFileSize, static_cast<int>(kTwoItems.size()));
  EXPECT_EQ(Read(Feed().RawFile), kTwoItems);
  EXPECT_EQ(Read(FileOf(".ico")), "icon bytes");
  EXPECT_EQ(Read(FileOf(".img")), kNewLogo);
  const std::string cache = Read(Feed().CacheFile);
  EXPECT_EQ(cache, result.ItemCacheText);
  EXPECT_NE(cache.find("<title>Second</title>"), std::string::npos);
  EXPECT_EQ(result.Page.Items.size(), 2u);
  EXPECT_NE(result.Page.PageHtml.find("<div><b>First</b></div>"), std::string::npos);
  EXPECT_EQ(result.LastUpdated, clock_.Now());
  ASSERT_TRUE(result.LogoReloaded && result.LogoBitmap);
  EXPECT_EQ(result.LogoBitmap->Pixels.at(0), static_cast<std::uint32_t>('B'));
}

// A 404 page once became the feed's only theme, "404 Not Found"; the good
// themes were gone for good.
TEST_F(LoadThreadTest, ErrorPageOrDocumentWithoutItemsReplacesNothingOfTheFeed) {
  using K = TLoadFailure::TKind;
  const std::string page = "<html><head><title>404 Not Found</title></head><body>gone</body></html>";
  const auto served = [](std::string body, int status = 200) {
    return FakeRoute{.Body = body, .Status = status};
  };
  struct {
    const char* Name;
    std::optional<FakeRoute> Feed;
    TLoadFailure Failure;
    int NetFileSize;  // -1 when a load reports one, else the feed's own
  } const cases[] = {
      {"no answer", std::nullopt, {K::NoResponse, 0}, -1},
      {"404 page", served(page, 404), {K::HttpStatus, 404}, -1},
      {"page with 200", served(page), {K::NotAFeed, 200}, 7},
      {"upper-case root", served("<HTML><TITLE>t</TITLE></HTML>"), {K::NotAFeed, 200}, 7},
      {"feed without items", served(FeedWith("")), {K::NotAFeed, 200}, 7},
      {"empty body", served(""), {K::NotAFeed, 200}, 7},
      {"304 to the validators sent", served("", 304), {}, 7},
      {"silent server", FakeRoute{.Body = "", .Announced = 100, .TimesOut = true}, {K::TimedOut, 0}, -1},
  };
  Feed().ETag = "\"v1\"";
  for (const bool accumulate : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (accumulate ? ", accumulating" : ""));
      globals_.AccumulateUnread = accumulate;
      Write(Feed().CacheFile, "old cache");
      Write(Feed().RawFile, "old raw");
      Feed().NetFileSize = 7;
      Feed().Items = {tchannelrecord{u"Read", u"", u"d0", u"", u"", u"", 1}};
      http_.Forget(kFeedPath);
      if (c.Feed) http_.Serve(kFeedPath, *c.Feed);
      mailbox_->Put(LoadNow());
      ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
      EXPECT_EQ(std::tie(Feed().LoadFailure, Feed().NetFileSize), std::tie(c.Failure, c.NetFileSize));
      EXPECT_EQ(Feed().Items.size(), 1u) << "the themes shown were replaced";
      // The raw file too: the title check compares with the last good download.
      EXPECT_EQ(Read(Feed().CacheFile) + "|" + Read(Feed().RawFile), "old cache|old raw");
    }
  }
}

TEST_F(LoadThreadTest, FeedWithAnotherRootNameStillConverts) {
  http_.Serve(kFeedPath, "<news><item><title>One</title></item><item><title>Two</title></item></news>");
  mailbox_->Put(LoadNow());
  ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
  EXPECT_EQ(Feed().LoadFailure, TLoadFailure{});
  EXPECT_EQ(Feed().Items.size(), 2u);
}

// Validators go out only while there is something a 304 could leave in place;
// a 304 to validators not sent is a server's fault, reported as such.
TEST_F(LoadThreadTest, NotModifiedKeepsTheFeedAsItIsAndTheValidatorsNeedBothFiles) {
  Feed().ETag = "\"v1\"";
  http_.Serve(kFeedPath, FakeRoute{.Body = "", .Status = 304});
  for (const auto& [cache, raw] : {std::pair(true, true), std::pair(false, true), std::pair(true, false)}) {
    SCOPED_TRACE(std::to_string(cache) + std::to_string(raw));
    std::filesystem::remove(Feed().CacheFile.Std());
    std::filesystem::remove(Feed().RawFile.Std());
    if (cache) Write(Feed().CacheFile, "old cache");
    if (raw) Write(Feed().RawFile, "old raw");
    mailbox_->Put(LoadNow());
    const bool conditional = cache && raw;
    const std::vector<std::string> headers = http_.LastHeaders(kFeedPath);
    EXPECT_EQ(std::count(headers.begin(), headers.end(), "If-None-Match: \"v1\""), conditional ? 1 : 0);
    ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
    EXPECT_EQ(Feed().LoadFailure,
              (conditional ? TLoadFailure{} : TLoadFailure{TLoadFailure::TKind::HttpStatus, 304}));
    EXPECT_EQ(Feed().ETag, "\"v1\"");
  }
}

// A server's validator that would break the request line is none.
TEST_F(LoadThreadTest, GoodLoadRemembersTheValidatorsOfItsDocument) {
  http_.Serve(kFeedPath, FakeRoute{.Body = kTwoItems,
                                   .Headers = {{"ETag", "W/\"v2\""}, {"Last-Modified", "bad\r\nX: 1"}}});
  Feed().ETag = "\"v1\"";
  Feed().LastModified = "D";
  mailbox_->Put(LoadNow());
  ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
  EXPECT_EQ(std::tie(Feed().ETag, Feed().LastModified), std::make_tuple("W/\"v2\"", ""));
}

TEST_F(LoadThreadTest, LogoKeptWhenItsDownloadFailsResolvedAgainstTheSiteRootAndSkippedWhenLogosAreOff) {
  Write(FileOf(".img"), kOldLogo);
  http_.Serve(kFeedPath, FeedWith("<image><url>pics/l.gif</url></image><item><title>a</title></item>"));
  TLoadResult result = LoadNow();
  EXPECT_EQ(Read(FileOf(".img")), kOldLogo);
  ASSERT_TRUE(result.LogoReloaded && result.LogoBitmap);
  EXPECT_EQ(result.LogoBitmap->Pixels.at(0), static_cast<std::uint32_t>('G'));

  http_.Serve("feeds.test/pics/l.gif", kNewLogo);
  LoadNow();
  EXPECT_EQ(Read(FileOf(".img")), kNewLogo);

  std::filesystem::remove(FileOf(".img").Std());
  rss_.LoadLogos = false;
  result = LoadNow();
  EXPECT_FALSE(result.LogoReloaded);
  EXPECT_EQ(result.LogoUrl, "pics/l.gif");
  EXPECT_FALSE(FileExists(FileOf(".img")));
}

TEST_F(LoadThreadTest, EarlierLogoAddressUsedWhenTheDocumentNamesNone) {
  Feed().Logo.Url = "http://img.test/logo.gif";
  http_.Serve(kFeedPath, FeedWith("<item><title>a</title></item>"));
  http_.Serve("img.test/logo.gif", kNewLogo);
  EXPECT_TRUE(LoadNow().LogoReloaded);
  EXPECT_EQ(Read(FileOf(".img")), kNewLogo);
}

TEST_F(LoadThreadTest, UnreadThemesOfTheRecordAreCarriedOverWithAccumulateUnread) {
  globals_.AccumulateUnread = true;
  Feed().Items = {tchannelrecord{u"Gone", u"", u"d0", u"", u"", u"", 0}};
  http_.Serve(kFeedPath, kTwoItems);
  const TLoadResult result = LoadNow();
  ASSERT_EQ(result.Page.Items.size(), 3u);
  EXPECT_EQ(result.Page.Items[2].Title, u"Gone");
}

TEST_F(LoadThreadTest, WorkerSetsLoadingAtOnceThenClearsItSetsProgressAndPostsLoaded) {
  http_.Serve(kFeedPath, kTwoItems);
  http_.SetLatency(std::chrono::milliseconds(50));
  Feed().Run->Progress = 0;
  {
    const auto worker = StartLoadThread(TakeLoadSnapshot(rss_, 0, globals_), services_);
    EXPECT_TRUE(Feed().Run->Loading);
  }
  ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
  EXPECT_FALSE(Feed().Run->Loading);
  EXPECT_EQ(Feed().Run->Progress, 100);
  EXPECT_EQ(queue_->Take(WM_FEED_LOADED), std::vector<long>{0});
  EXPECT_EQ(Feed().Items.size(), 2u);
  EXPECT_EQ(Feed().NetFileSize, static_cast<int>(kTwoItems.size()));
  EXPECT_EQ(Feed().LastUpdated, clock_.Now());
  EXPECT_EQ(Feed().Logo.Url, "http://img.test/logo.gif");
}

TEST_F(LoadThreadTest, LoadingClearedWhenTheServerHangsOrAnErrorEscapes) {
  http_.Serve(kFeedPath, FakeRoute{"", 100, true});
  ASSERT_TRUE(LoadInThread());
  EXPECT_FALSE(Feed().Run->Loading);
  EXPECT_EQ(Feed().NetFileSize, -1);
  EXPECT_EQ(queue_->Take(WM_FEED_LOADED).size(), 1u);

  http_.Serve(kFeedPath, FakeRoute{"", -1, false, true});
  Feed().NetFileSize = 7;
  EXPECT_FALSE(LoadInThread());
  EXPECT_FALSE(Feed().Run->Loading);
  EXPECT_EQ(Feed().Run->Progress, 100);
  EXPECT_TRUE(queue_->Take(WM_FEED_LOADED).empty()) << "no message after an escaped error";
  EXPECT_EQ(Feed().NetFileSize, 7);
}

TEST_F(LoadThreadTest, ResultOfAReplacedRecordOrOfAFeedNoLongerThereIsDropped) {
  http_.Serve(kFeedPath, kTwoItems);
  mailbox_->Put(LoadNow());
  Feed().Generation = NextFeedGeneration();  // what a reload does to the record
  EXPECT_FALSE(AdoptLoadResult(rss_, *mailbox_, 0));
  EXPECT_TRUE(Feed().Items.empty());

  TLoadResult orphan;
  orphan.FeedIndex = 3;
  mailbox_->Put(std::move(orphan));
  EXPECT_FALSE(AdoptLoadResult(rss_, *mailbox_, 3));
  EXPECT_EQ(mailbox_->Size(), 0u);
}

TEST_F(LoadThreadTest, MarkSetWhileTheWorkerRanIsKept) {
  http_.Serve(kFeedPath, kTwoItems);
  mailbox_->Put(LoadNow());
  Feed().ReadMarks = "First d1=3\r\n";
  ASSERT_TRUE(AdoptLoadResult(rss_, *mailbox_, 0));
  EXPECT_EQ(Feed().Items.at(0).Mark, 3);
}

TEST_F(LoadThreadTest, MessageOfAnEarlierLoadDoesNotFreeTheOneRunningNow) {
  http_.Serve(kFeedPath, kTwoItems);
  http_.SetLatency(std::chrono::milliseconds(50));
  Feed().LoadThread = StartLoadThread(rss_, 0, globals_, services_);
  ReleaseFinishedLoadThread(Feed());
  EXPECT_TRUE(Feed().LoadThread) << "freeing a running worker blocks the window until it ends";
  EXPECT_EQ(queue_->Take(WM_FEED_LOADED).size(), 0u);
  testing::MessageQueue::Message message{};
  ASSERT_TRUE(queue_->Wait(message));
  ReleaseFinishedLoadThread(Feed());
  EXPECT_FALSE(Feed().LoadThread);
}

}  // namespace
}  // namespace kivo
