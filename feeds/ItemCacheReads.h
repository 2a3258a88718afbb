// A start reads the item caches of the feeds not shown on a worker: with 200
// feeds they are tens of megabytes, and the messenger's window must not wait
// for them. Until a feed's result is adopted the feed is pending: its read
// marks are loaded (a save writes them back unchanged), but its item cache
// text and theme list are empty. Whatever needs them before (showing the
// feed, loading it) reads that one feed at once with ReadPendingItemCache.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/FilePaths.h"
#include "base/SharedRef.h"
#include "feeds/FeedTable.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "platform/Worker.h"

namespace kivo {

struct TItemCacheJob {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  TFilePath CacheFile;
};

struct TItemCacheRead {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  std::string ItemCacheText;          // empty when the file is missing or unreadable
  std::vector<tchannelrecord> Items;  // marks not yet set
};

// All the pending feeds' caches in one result, filed under key 0.
struct TItemCacheReads {
  int Key = 0;
  std::vector<TItemCacheRead> Feeds;
};

using TItemCacheMailbox = TMailbox<TItemCacheReads, &TItemCacheReads::Key>;

// The pending feeds, in table order.
std::vector<TItemCacheJob> PendingItemCaches(const TRSS& rss);

// Reads the caches in order on the calling thread; stops early (keeping what
// it read) once `stop` is set.
TItemCacheReads ReadItemCaches(const std::vector<TItemCacheJob>& jobs, const std::atomic<bool>& stop);

// Starts the worker when there is anything pending; null otherwise. Its end
// posts `message` (lParam 0) after its result is in the mailbox.
std::unique_ptr<TWorker> StartItemCacheReads(const TRSS& rss, IThreadStarter& threads,
                                             TSharedRef<std::atomic<bool>> busy,
                                             TSharedRef<const std::atomic<bool>> stop,
                                             TSharedRef<TItemCacheMailbox> mailbox,
                                             TSharedRef<IMessagePoster> poster, unsigned message);

// On the window's thread: adopts the results whose feed is still the same
// record and still pending, marks set from its read marks as they are now.
// Returns the indices of the feeds adopted.
std::vector<int> AdoptItemCacheReads(TRSS& rss, TItemCacheMailbox& mailbox);

// Feed i's item cache and theme list now, when it is still pending; nothing
// otherwise (or for an index that names no feed).
void ReadPendingItemCache(TRSS& rss, int i);

}  // namespace kivo
