// The start's reading of item caches on a worker: a feed stays pending until
// its result is adopted, and nothing of it (marks, cache) may be lost or
// replaced by a result that arrives too late.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "feeds/ItemCacheReads.h"
#include "feeds/ReadMarks.h"
#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"

namespace kivo {
namespace {

const std::string kCache =
    "<myrssnodes><item><title>One</title><date>d1</date></item>"
    "<item><title>Two</title></item></myrssnodes>";
const std::string kMarks = "One d1=4\r\nGone=1\r\n";

class ItemCacheReadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rss_.SetCount(3);
    for (int i = 0; i < 3; ++i) {
      tchannels& feed = Feed(i);
      // Built by appending: GCC 12 warns falsely on a literal + std::string.
      feed.CacheFile = folder_.File(std::string("f").append(std::to_string(i)).append(".rss"));
      feed.ItemCachePending = true;
      feed.ReadMarks = kMarks;
      if (i == 2) continue;  // feed 2 has no cache yet
      ASSERT_TRUE(WriteFileAtomic(feed.CacheFile, kCache));
    }
  }
  tchannels& Feed(int i) { return rss_.Channels[static_cast<std::size_t>(i)]; }
  // The worker's job, run here, and its result put where the worker puts it.
  void ReadAll(const std::atomic<bool>& stop) { mailbox_.Put(ReadItemCaches(PendingItemCaches(rss_), stop)); }

  testing::TempFolder folder_{"kivo_cache_reads_"};
  TRSS rss_;
  TItemCacheMailbox mailbox_;
  std::atomic<bool> running_{false};
};

TEST_F(ItemCacheReadsTest, AdoptionTakesTheMarksHeldNowAndAMissingCacheEndsEmpty) {
  ReadAll(running_);
  Feed(0).ReadMarks = ThemeKey("Two", "") + "=2\r\n";  // changed while the worker read
  EXPECT_EQ(AdoptItemCacheReads(rss_, mailbox_), (std::vector<int>{0, 1, 2}));
  ASSERT_EQ(Feed(0).Items.size(), 2u);
  EXPECT_EQ(std::pair(Feed(0).Items[0].Mark, Feed(0).Items[1].Mark), std::pair(0, 2));
  EXPECT_EQ(std::pair(Feed(1).Items[0].Mark, Feed(1).Items[1].Mark), std::pair(4, 0));
  EXPECT_EQ(Feed(1).ItemCacheText, kCache);
  EXPECT_FALSE(Feed(1).PageComposed) << "the page waits until the feed is shown";
  EXPECT_TRUE(Feed(2).Items.empty());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Feed(i).ItemCachePending) << i;
}

TEST_F(ItemCacheReadsTest, ResultsOfAReplacedRecordOrAFeedReadMeanwhileAreDropped) {
  ReadAll(running_);
  const std::string loaded = "<myrssnodes><item><title>New</title></item></myrssnodes>";
  Feed(0).Generation = NextFeedGeneration();  // a reload replaced the record
  Feed(1).ItemCachePending = false;           // shown or loaded first
  Feed(1).ItemCacheText = loaded;
  EXPECT_EQ(AdoptItemCacheReads(rss_, mailbox_), (std::vector<int>{2}));
  EXPECT_TRUE(Feed(0).ItemCachePending) << "still to be read when shown";
  EXPECT_EQ(Feed(1).ItemCacheText, loaded);
  EXPECT_TRUE(AdoptItemCacheReads(rss_, mailbox_).empty()) << "a result is adopted once";
}

TEST_F(ItemCacheReadsTest, AStoppedReadLeavesTheRestPendingToBeReadWhenShown) {
  const std::atomic<bool> stopped{true};
  ReadAll(stopped);
  EXPECT_TRUE(AdoptItemCacheReads(rss_, mailbox_).empty());
  ReadPendingItemCache(rss_, 1);
  EXPECT_FALSE(Feed(1).ItemCachePending);
  ASSERT_EQ(Feed(1).Items.size(), 2u);
  EXPECT_EQ(Feed(1).Items[0].Mark, 4);
  ReadPendingItemCache(rss_, 7);  // no such feed
}

// The stop that comes before the worker's result must write back exactly what
// it found: the marks of every theme, and the cache untouched.
TEST_F(ItemCacheReadsTest, APendingFeedSavedAtAStopKeepsItsMarksAndCache) {
  ASSERT_TRUE(WriteFileAtomic(ReadMarksFileName(Feed(0).CacheFile), kMarks));
  LoadReadMarks(rss_, 0);
  EXPECT_TRUE(WriteReadMarks(Feed(0)));
  EXPECT_TRUE(SaveUnsavedItemCache(Feed(0)));
  EXPECT_EQ(ReadFileBytes(ReadMarksFileName(Feed(0).CacheFile)), kMarks);
  EXPECT_EQ(ReadFileBytes(Feed(0).CacheFile), kCache);
}

}  // namespace
}  // namespace kivo
