// Fifty feeds loaded and checked at once while the "window thread" reloads the
// settings, replacing every feed record, and handles the workers' messages.
// Built with ThreadSanitizer in the native-tsan preset: any write of a worker
// into what the window thread uses shows up as a data race there.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "feeds/CheckNewThread.h"
#include "feeds/FeedMessages.h"
#include "feeds/ItemCacheReads.h"
#include "feeds/LoadThread.h"
#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"
#include "platform/FileIo.h"
#include "plugin/PluginSettings.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

constexpr int kFeeds = 50;

// Built by appending: GCC 12 warns falsely on a literal + std::to_string.
std::string FeedPath(int i) {
  std::string path = "feeds.test/f";
  return path.append(std::to_string(i)).append(".xml");
}

int ItemsOf(int i) {
  return i % 3 + 1;
}

std::string FeedBody(int i) {
  std::string items;
  for (int n = 0; n < ItemsOf(i); ++n) {
    items.append("<item><title>Feed ").append(std::to_string(i)).append(" item ").append(std::to_string(n));
    items.append("</title><description>text</description></item>");
  }
  return R"(<?xml version="1.0" encoding="utf-8"?><rss><channel><title>F</title>)"
         R"(<image><url>/logo.gif</url></image>)" +
         items + "</channel></rss>";
}

class FeedThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / "kivo_feed_threads";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (int i = 0; i < kFeeds; ++i) {
      std::string line = "http://";
      globals_.FeedLines.push_back(line.append(FeedPath(i)).append("|Feed ").append(std::to_string(i)));
      http_.Serve(FeedPath(i), FeedBody(i));
    }
    http_.Serve("feeds.test/favicon.ico", "icon");
    http_.Serve("feeds.test/logo.gif", "GIF89a-logo-bytes");
    http_.SetLatency(std::chrono::milliseconds(2));
    context_.IniPath = dir_ / "KivoRss.ini";
    context_.PluginFolder = TFilePath(dir_) / "";
    context_.CacheFolder = context_.PluginFolder;
    context_.ImageDecoder = &decoder_;
    context_.ComposePage = [](TRSS& rss, int i) { MakeFeedPage(rss, i, 2, SystemLocale()); };
  }

  void TearDown() override {
    for (auto& feed : rss_.Channels) {
      feed.LoadThread.reset();
      feed.CheckThread.reset();
    }
    fs::remove_all(dir_);
  }

  void Reload() {
    LoadSettings(globals_, rss_, context_);
    for (auto& feed : rss_.Channels) {
      feed.CheckUpdates = true;
      feed.CheckNewPeriod = 0;
    }
  }

  // LoadPage of the reader window, for every feed not loading now.
  void StartLoads() {
    for (int i = 0; i <= rss_.High(); ++i) {
      tchannels& feed = rss_.Channels[static_cast<std::size_t>(i)];
      if (feed.Run->Loading) continue;
      feed.LoadThread.reset();
      feed.Run->Progress = 0;
      feed.LoadThread = StartLoadThread(rss_, i, globals_, loads_);
      ++loadsStarted_;
    }
  }

  // The window's message handlers, with some of what the user does meanwhile.
  void Handle(const testing::MessageQueue::Message& message) {
    const int i = static_cast<int>(message.LParam);
    if (message.Id == WM_FEED_LOADED) {
      ++loadMessages_;
      if (AdoptLoadResult(rss_, *loadMailbox_, i)) ++adopted_;
      if (rss_.IsValid(i)) ReleaseFinishedLoadThread(rss_.Channels[static_cast<std::size_t>(i)]);
    } else if (message.Id == WM_FEED_CHANGED) {
      AdoptCheckResult(rss_, *checkMailbox_, i);
    }
    if (!rss_.IsValid(i)) return;
    tchannels& feed = rss_.Channels[static_cast<std::size_t>(i)];
    feed.ReadMarks += "seen=1\r\n";
    for (auto& theme : feed.Items) theme.Mark = 1;
    pageBytes_ += feed.PageHtml.size() + static_cast<std::size_t>(feed.Run->Progress.load());
  }

  void DrainUntilEveryLoadReported() {
    testing::MessageQueue::Message message{};
    while (loadMessages_ < loadsStarted_) {
      ASSERT_TRUE(queue_->Wait(message)) << loadMessages_ << " of " << loadsStarted_ << " loads reported";
      Handle(message);
    }
  }

  fs::path dir_;
  TPluginGlobals globals_;
  TRSS rss_;
  TSettingsContext context_;
  testing::FakeHttpClient http_;
  TSharedRef<testing::MessageQueue> queue_ = MakeShared<testing::MessageQueue>();
  testing::FirstBytePictureDecoder decoder_;
  TFixedLocaleFormats locale_;
  TSharedRef<TLoadMailbox> loadMailbox_ = MakeShared<TLoadMailbox>();
  TSharedRef<TCheckMailbox> checkMailbox_ = MakeShared<TCheckMailbox>();
  TLoadServices loads_{.Http = http_,
                       .Clock = SystemClock(),
                       .ImageDecoder = decoder_,
                       .Locale = locale_,
                       .Threads = SystemThreads(),
                       .Poster = queue_,
                       .Mailbox = loadMailbox_,
                       .Cancel = MakeShared<THttpCancel>()};
  TCheckServices checks_{.Http = http_,
                         .Clock = SystemClock(),
                         .Threads = SystemThreads(),
                         .Poster = queue_,
                         .Mailbox = checkMailbox_,
                         .Cancel = MakeShared<THttpCancel>()};
  TCheckNewScheduler scheduler_{SystemClock(), checkMailbox_, CheckThreadFactory(globals_, checks_)};
  int loadsStarted_ = 0;
  int loadMessages_ = 0;
  int adopted_ = 0;
  std::size_t pageBytes_ = 0;
};

TEST_F(FeedThreadsTest, ReloadsWhileFiftyFeedsLoadAndCheckDropStaleResultsWithoutRaces) {
  Reload();
  constexpr int kReloadRounds = 2;
  for (int round = 0; round < kReloadRounds; ++round) {
    scheduler_.Tick(rss_, true);
    StartLoads();
    Reload();  // every worker above now belongs to a record that is gone
    scheduler_.Tick(rss_, true);
    StartLoads();
    DrainUntilEveryLoadReported();
    EXPECT_EQ(adopted_, (round + 1) * kFeeds) << "only the loads of the live records count";
  }

  rss_.Retired.clear();  // as the stop does: joins the workers the reloads set aside
  for (auto& feed : rss_.Channels) {
    feed.CheckThread.reset();
    feed.CheckUpdates = false;
  }
  testing::MessageQueue::Message message{};
  while (queue_->Wait(message, std::chrono::milliseconds(0))) Handle(message);
  scheduler_.Tick(rss_, false);  // takes in the checks that found nothing new
  EXPECT_EQ(loadMailbox_->Size(), 0u);
  EXPECT_EQ(checkMailbox_->Size(), 0u);

  for (int i = 0; i < kFeeds; ++i) {
    const tchannels& feed = rss_.Channels[static_cast<std::size_t>(i)];
    EXPECT_EQ(feed.Items.size(), static_cast<std::size_t>(ItemsOf(i))) << i;
    EXPECT_EQ(feed.NetFileSize, static_cast<int>(FeedBody(i).size())) << i;
    EXPECT_FALSE(feed.Run->Loading) << i;
    EXPECT_TRUE(FileExists(feed.CacheFile)) << i;
    ASSERT_TRUE(feed.Logo.Bitmap) << i;
  }
  EXPECT_GT(pageBytes_, 0u);
}

// A start reads the item caches on a worker while the window reloads, shows
// feeds (reading each at once) and marks them; every feed ends read, once.
TEST_F(FeedThreadsTest, StartReadsCachesBehindTheWindowAndAReloadDropsTheOldReads) {
  Reload();
  StartLoads();
  DrainUntilEveryLoadReported();  // every feed now has its item cache on the disk
  context_.DeferItemCaches = true;
  const auto mailbox = MakeShared<TItemCacheMailbox>();
  const auto stop = MakeShared<std::atomic<bool>>(false);
  std::vector<std::unique_ptr<TWorker>> workers;
  for (int round = 0; round < 2; ++round) {
    Reload();  // the first round's reads now belong to records that are gone
    workers.push_back(StartItemCacheReads(rss_, SystemThreads(), MakeShared<std::atomic<bool>>(false), stop,
                                          mailbox, queue_, WM_ITEM_CACHES_READ));
    for (int i = 0; i < kFeeds; i += 7) {
      ReadPendingItemCache(rss_, i);
      SetReadMark(rss_, i, ThemeKey(rss_.Channels[static_cast<std::size_t>(i)].Items.at(0)), 3);
    }
  }
  int reads = 0;
  std::vector<int> adopted;
  testing::MessageQueue::Message message{};
  while (reads < 2) {
    ASSERT_TRUE(queue_->Wait(message)) << reads << " of 2 reads reported";
    if (message.Id != WM_ITEM_CACHES_READ) continue;
    ++reads;
    for (const int i : AdoptItemCacheReads(rss_, *mailbox)) adopted.push_back(i);
  }
  EXPECT_EQ(adopted.size(), static_cast<std::size_t>(kFeeds - (kFeeds + 6) / 7)) << "each feed read once";
  for (int i = 0; i < kFeeds; ++i) {
    const tchannels& feed = rss_.Channels[static_cast<std::size_t>(i)];
    EXPECT_FALSE(feed.ItemCachePending) << i;
    ASSERT_EQ(feed.Items.size(), static_cast<std::size_t>(ItemsOf(i))) << i;
    EXPECT_EQ(feed.ReadMarks.find("=3") != std::string::npos, i % 7 == 0) << i;
  }
}

}  // namespace
}  // namespace kivo
