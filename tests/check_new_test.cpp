#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "feeds/CheckNewThread.h"
#include "feeds/FeedMessages.h"
#include "platform/FileIo.h"
#include "tests/support/FeedTestDoubles.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

using testing::FakeRoute;

class CheckNewTimerTest : public ::testing::Test {
 protected:
  CheckNewTimerTest() {
    rss_.SetCount(3);
    for (auto& feed : rss_.Channels) {
      feed.CheckUpdates = true;
      feed.CheckNewPeriod = 45;  // 1/32 of a day: the boundary is exact in binary
      feed.LastCheck = clock_.Now();
    }
  }

  // Feed indexes the tick started a check for.
  std::vector<int> Tick(bool checkForNew = true) {
    started_.clear();
    restarted_ = scheduler_.Tick(rss_, checkForNew);
    return started_;
  }

  testing::FakeClock clock_;
  TRSS rss_;
  TSharedRef<TCheckMailbox> mailbox_ = MakeShared<TCheckMailbox>();
  std::vector<int> started_;
  bool restarted_ = false;
  int failAt_ = -1;
  TCheckNewScheduler scheduler_{clock_, mailbox_, [this](TRSS&, int i) {
                                  if (i == failAt_) throw std::runtime_error("no thread");
                                  started_.push_back(i);
                                  return std::make_unique<TWorker>(MakeShared<std::atomic<bool>>(false),
                                                                   nullptr);
                                }};
};

TEST_F(CheckNewTimerTest, FeedIsDueExactlyOnePeriodAfterItsLastCheck) {
  rss_.Channels[0].LastCheck = clock_.Now() - 45 / 1440.0;
  rss_.Channels[1].LastCheck = clock_.Now() - 44 / 1440.0;
  rss_.Channels[2].CheckNewPeriod = 0;
  EXPECT_EQ(Tick(), (std::vector<int>{0, 2}));
  EXPECT_TRUE(rss_.Channels[0].CheckThread != nullptr);
}

TEST_F(CheckNewTimerTest, FeedsBeingCheckedLoadedOrNotWatchedAreSkipped) {
  for (auto& feed : rss_.Channels) feed.CheckNewPeriod = 0;
  rss_.Channels[0].Run->Checking = true;
  rss_.Channels[1].Run->Loading = true;
  rss_.Channels[2].CheckUpdates = false;
  EXPECT_TRUE(Tick().empty());
}

TEST_F(CheckNewTimerTest, TimerRunsOnOnlyWhileCheckForNewIsOnEvenWhenAWorkerCannotStart) {
  for (auto& feed : rss_.Channels) feed.CheckNewPeriod = 0;
  failAt_ = 1;
  EXPECT_EQ(Tick(false), std::vector<int>{0}) << "the last tick still checks; a failed start ends the round";
  EXPECT_FALSE(restarted_);
  Tick(true);
  EXPECT_TRUE(restarted_);
}

TEST_F(CheckNewTimerTest, PeriodCountsFromTheEndOfTheLastCheck) {
  tchannels& feed = rss_.Channels[0];
  feed.LastCheck = clock_.Now() - 50 / 1440.0;
  mailbox_->Put({0, feed.Generation, 100, false, clock_.Now() - 10 / 1440.0});
  mailbox_->Put({0, feed.Generation + 1000, 100, false, clock_.Now() - 50 / 1440.0});  // another record's
  EXPECT_TRUE(Tick().empty());
  EXPECT_DOUBLE_EQ(feed.LastCheck, clock_.Now() - 10 / 1440.0);
  EXPECT_EQ(mailbox_->Size(), 0u);
}

TEST_F(CheckNewTimerTest, ChangeNotYetTakenInBlocksAnotherCheck) {
  tchannels& feed = rss_.Channels[0];
  feed.CheckNewPeriod = 0;
  mailbox_->Put({0, feed.Generation, 100, true, clock_.Now()});
  EXPECT_TRUE(Tick() == std::vector<int>{});
  ASSERT_EQ(mailbox_->Size(), 1u);
  EXPECT_TRUE(AdoptCheckResult(rss_, *mailbox_, 0));
  EXPECT_EQ(Tick(), std::vector<int>{0});
}

// ------------------------------------------------------------ the check itself

constexpr char kUrl[] = "http://feeds.test/rss";
constexpr char kPath[] = "feeds.test/rss";

class CheckFeedTest : public ::testing::Test {
 protected:
  CheckFeedTest() {
    feed_.FeedIndex = 0;
    feed_.Url = kUrl;
    feed_.NetFileSize = 500;
  }

  TCheckResult Check() { return CheckFeed(feed_, services_); }

  testing::FakeHttpClient http_;
  testing::FakeClock clock_;
  TSharedRef<testing::MessageQueue> queue_ = MakeShared<testing::MessageQueue>();
  TSharedRef<TCheckMailbox> mailbox_ = MakeShared<TCheckMailbox>();
  TCheckServices services_{.Http = http_,
                           .Clock = clock_,
                           .Threads = SystemThreads(),
                           .Poster = queue_,
                           .Mailbox = mailbox_,
                           .Cancel = MakeShared<THttpCancel>()};
  TCheckSnapshot feed_;
};

TEST_F(CheckFeedTest, OnlyAnAnnouncedSizeThatDiffersOrANewFirstItemTitleIsAChange) {
  const testing::TempFolder temp("kivo_check_");
  feed_.RawFile = temp.File("raw.xml");
  ASSERT_TRUE(
      WriteFileAtomic(feed_.RawFile, "<rss><title>Feed</title><item>\r\n<title>Old</title></item></rss>"));
  struct Case {
    const char* fault;
    FakeRoute route;
    bool extCheck;
    bool changed;
  };
  const std::vector<Case> cases = {
      {"same length reported as a change", {"different content", 500}, false, false},
      {"new length missed", {"x", 501}, false, true},
      {"no length without the title check reported", {"<item><title>b</title>", 0}, false, false},
      {"same first title reported as a change", {"<rss><item><title>Old</title>", 0}, true, false},
      {"new first title missed", {"<rss><item><title>New</title>", 0}, true, true},
      {"timeout in the title check counted as a change", {"<item><title>b</title>", 0, true}, true, false},
  };
  for (const auto& c : cases) {
    http_.Serve(kPath, c.route);
    feed_.CheckExtCheck = c.extCheck;
    EXPECT_EQ(Check().Changed, c.changed) << c.fault;
  }
  feed_.Url = "http://unserved.test/rss";
  EXPECT_FALSE(Check().Changed) << "failed request counted as a change";
}

// An error page's length differs from the feed's: every check announced it as news.
TEST_F(CheckFeedTest, NeitherAnErrorPageNorA304IsAChange) {
  const testing::TempFolder temp("kivo_check_");
  feed_.CacheFile = temp.File("feed.rss");
  feed_.RawFile = temp.File("feed.xml");
  ASSERT_TRUE(WriteFileAtomic(feed_.CacheFile, "cache"));
  ASSERT_TRUE(WriteFileAtomic(feed_.RawFile, "<rss><item><title>Old</title></item></rss>"));
  feed_.Validators = {"\"v1\"", "D"};
  // status, announced size, changed
  const std::tuple<int, int, bool> cases[] = {{404, 1234, false}, {304, 0, false}, {200, 1234, true}};
  for (const auto& [status, announced, changed] : cases) {
    http_.Serve(kPath, FakeRoute{.Body = "", .Announced = announced, .Status = status});
    EXPECT_EQ(Check().Changed, changed) << status;
    const std::vector<std::string> headers = http_.LastHeaders(kPath);
    EXPECT_EQ(std::count(headers.begin(), headers.end(), "If-None-Match: \"v1\""), 1) << status;
  }
}

TEST_F(CheckFeedTest, ThreadSetsCheckingAtOnceEndsItEvenAfterAnErrorAndPostsOnlyAChange) {
  feed_.Run = std::make_shared<TFeedRunState>();
  http_.Serve(kPath, FakeRoute{"", 500});
  { const auto worker = StartCheckNewThread(feed_, services_); }
  EXPECT_FALSE(feed_.Run->Checking);
  EXPECT_EQ(mailbox_->Take(0).size(), 1u) << "an unchanged check still reports when it ended";

  http_.Serve(kPath, FakeRoute{"", -1, false, true});
  { const auto worker = StartCheckNewThread(feed_, services_); }
  EXPECT_FALSE(feed_.Run->Checking);
  const auto failed = mailbox_->Take(0);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_FALSE(failed[0].Changed);
  EXPECT_EQ(failed[0].FinishedAt, clock_.Now());
  EXPECT_TRUE(queue_->Take(WM_FEED_CHANGED).empty());

  http_.Serve(kPath, FakeRoute{"", 900});
  http_.SetLatency(std::chrono::milliseconds(30));
  {
    const auto worker = StartCheckNewThread(feed_, services_);
    EXPECT_TRUE(feed_.Run->Checking);
  }
  EXPECT_FALSE(feed_.Run->Checking);
  EXPECT_EQ(queue_->Take(WM_FEED_CHANGED), std::vector<long>{0});
}

TEST(AdoptCheckResult, AppliesOnlyToTheRecordItWasMadeFor) {
  TRSS rss;
  rss.SetCount(1);
  tchannels& feed = rss.Channels[0];
  feed.NetFileSize = 500;
  TCheckMailbox mailbox;

  mailbox.Put({0, feed.Generation + 1, 900, true, 45000.0});
  EXPECT_FALSE(AdoptCheckResult(rss, mailbox, 0)) << "stale result adopted";
  EXPECT_FALSE(feed.HasNew);

  mailbox.Put({0, feed.Generation, 900, true, 45000.0});
  EXPECT_TRUE(AdoptCheckResult(rss, mailbox, 0));
  EXPECT_TRUE(feed.HasNew);
  EXPECT_EQ(feed.NetFileSize, 900);
  EXPECT_EQ(feed.LastCheck, 45000.0);

  feed.HasNew = false;
  mailbox.Put({0, feed.Generation, 900, true, 45001.0});  // a load has meanwhile brought 900
  EXPECT_FALSE(AdoptCheckResult(rss, mailbox, 0));
  EXPECT_FALSE(feed.HasNew);
  EXPECT_EQ(feed.LastCheck, 45001.0);
}

}  // namespace
}  // namespace kivo
