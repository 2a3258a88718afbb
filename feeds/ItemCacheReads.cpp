#include "feeds/ItemCacheReads.h"

#include <utility>

#include "feeds/PageComposition.h"
#include "feeds/ReadMarks.h"

namespace kivo {

namespace {

TItemCacheRead ReadItemCache(const TItemCacheJob& job) {
  TItemCacheRead read;
  read.FeedIndex = job.FeedIndex;
  read.Generation = job.Generation;
  std::optional<std::string> text = ReadItemCacheText(job.CacheFile);
  if (!text) return read;
  read.ItemCacheText = std::move(*text);
  read.Items = ReadThemes(read.ItemCacheText, {});
  return read;
}

void AdoptItemCache(tchannels& feed, TItemCacheRead read) {
  feed.ItemCacheText = std::move(read.ItemCacheText);
  feed.Items = std::move(read.Items);
  feed.PageHtml.clear();
  feed.PageComposed = false;
  feed.ItemCachePending = false;
  SetStoredMarks(feed);
}

}  // namespace

std::vector<TItemCacheJob> PendingItemCaches(const TRSS& rss) {
  std::vector<TItemCacheJob> jobs;
  for (std::size_t i = 0; i < rss.Channels.size(); ++i) {
    const tchannels& feed = rss.Channels[i];
    if (!feed.ItemCachePending) continue;
    jobs.push_back(
        {.FeedIndex = static_cast<int>(i), .Generation = feed.Generation, .CacheFile = feed.CacheFile});
  }
  return jobs;
}

TItemCacheReads ReadItemCaches(const std::vector<TItemCacheJob>& jobs, const std::atomic<bool>& stop) {
  TItemCacheReads reads;
  for (const TItemCacheJob& job : jobs) {
    if (stop.load(std::memory_order_relaxed)) break;
    reads.Feeds.push_back(ReadItemCache(job));
  }
  return reads;
}

std::unique_ptr<TWorker> StartItemCacheReads(const TRSS& rss, IThreadStarter& threads,
                                             TSharedRef<std::atomic<bool>> busy,
                                             TSharedRef<const std::atomic<bool>> stop,
                                             TSharedRef<TItemCacheMailbox> mailbox,
                                             TSharedRef<IMessagePoster> poster, unsigned message) {
  std::vector<TItemCacheJob> jobs = PendingItemCaches(rss);
  if (jobs.empty()) return nullptr;
  TWorkerReport<TItemCacheMailbox> report{.Mailbox = std::move(mailbox),
                                          .Poster = std::move(poster),
                                          .Message = message,
                                          .LParam = 0,
                                          .FailureMessage = message};
  return TWorker::Start(threads, std::move(busy), std::move(report),
                        [jobs = std::move(jobs), stop] { return ReadItemCaches(jobs, *stop); });
}

std::vector<int> AdoptItemCacheReads(TRSS& rss, TItemCacheMailbox& mailbox) {
  std::vector<int> adopted;
  for (TItemCacheReads& reads : mailbox.Take(0)) {
    for (TItemCacheRead& read : reads.Feeds) {
      if (!rss.IsValid(read.FeedIndex)) continue;
      tchannels& feed = rss.Channels[static_cast<std::size_t>(read.FeedIndex)];
      // A reload replaced the record, or the feed was read or loaded meanwhile.
      if (feed.Generation != read.Generation || !feed.ItemCachePending) continue;
      adopted.push_back(read.FeedIndex);
      AdoptItemCache(feed, std::move(read));
    }
  }
  return adopted;
}

void ReadPendingItemCache(TRSS& rss, int i) {
  if (!rss.IsValid(i)) return;
  tchannels& feed = rss.Channels[static_cast<std::size_t>(i)];
  if (!feed.ItemCachePending) return;
  AdoptItemCache(feed,
                 ReadItemCache({.FeedIndex = i, .Generation = feed.Generation, .CacheFile = feed.CacheFile}));
}

}  // namespace kivo
