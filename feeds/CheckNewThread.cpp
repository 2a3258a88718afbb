#include "feeds/CheckNewThread.h"

#include <utility>

#include "feeds/FeedMessages.h"

namespace kivo {

namespace {

constexpr double kMinutesPerDay = 1440.0;

bool IsChange(int size, int rememberedSize) {
  return size >= 1 && size != rememberedSize;
}

// A check that fails still ends: its finishing time counts for the period.
TCheckResult CheckOrFail(const TCheckSnapshot& feed, const TCheckServices& services) {
  try {
    return CheckFeed(feed, services);
  } catch (...) {
    TCheckResult failed;
    failed.FeedIndex = feed.FeedIndex;
    failed.Generation = feed.Generation;
    failed.FinishedAt = services.Clock.Now();
    return failed;
  }
}

}  // namespace

TCheckSnapshot TakeCheckSnapshot(const TRSS& rss, int i, const TPluginGlobals& globals) {
  const tchannels& channel = rss.Channels.at(static_cast<std::size_t>(i));
  TCheckSnapshot feed;
  feed.FeedIndex = i;
  feed.Generation = channel.Generation;
  feed.Run = channel.Run;
  feed.Url = channel.Url;
  feed.CacheFile = channel.CacheFile;
  feed.RawFile = channel.RawFile;
  feed.CheckExtCheck = channel.CheckExtCheck;
  feed.NetFileSize = channel.NetFileSize;
  feed.Proxy = ProxySettingsOf(globals);
  feed.Validators = {channel.ETag, channel.LastModified};
  return feed;
}

TCheckResult CheckFeed(const TCheckSnapshot& feed, const TCheckServices& services) {
  const TNetContext ctx{.Http = services.Http,
                        .Clock = services.Clock,
                        .Poster = *services.Poster,
                        .Deadline = services.Deadline,
                        .Cancel = services.Cancel};
  TCheckResult result;
  result.FeedIndex = feed.FeedIndex;
  result.Generation = feed.Generation;
  TDownloadParams params = MakeDownloadParams(feed.Url, feed.Proxy);
  params.Validators = CachedValidators(feed.Validators, feed.CacheFile, feed.RawFile);
  result.Size = GetRemoteSize(params, feed.FeedIndex, ctx, feed.CheckExtCheck, feed.RawFile);
  result.Changed = IsChange(result.Size, feed.NetFileSize);
  result.FinishedAt = services.Clock.Now();
  return result;
}

std::unique_ptr<TWorker> StartCheckNewThread(TCheckSnapshot feed, const TCheckServices& services) {
  TSharedRef<std::atomic<bool>> checking = RunFlag(feed.Run, &TFeedRunState::Checking);
  TWorkerReport<TCheckMailbox> report{services.Mailbox, services.Poster, WM_FEED_CHANGED, feed.FeedIndex,
                                      [](const TCheckResult& result) { return result.Changed; }};
  return TWorker::Start(services.Threads, std::move(checking), std::move(report),
                        [feed = std::move(feed), services] { return CheckOrFail(feed, services); });
}

bool AdoptCheckResult(TRSS& rss, TCheckMailbox& mailbox, int i) {
  bool changed = false;
  for (const TCheckResult& result : mailbox.Take(i)) {
    if (!rss.IsValid(i)) continue;
    tchannels& feed = rss.Channels[static_cast<std::size_t>(i)];
    if (feed.Generation != result.Generation) continue;
    feed.LastCheck = result.FinishedAt;
    if (result.Changed && IsChange(result.Size, feed.NetFileSize)) {
      feed.HasNew = true;
      feed.NetFileSize = result.Size;
      changed = true;
    }
  }
  return changed;
}

TCheckWorkerFactory CheckThreadFactory(const TPluginGlobals& globals, TCheckServices services) {
  return [&globals, services = std::move(services)](TRSS& rss, int i) {
    return StartCheckNewThread(TakeCheckSnapshot(rss, i, globals), services);
  };
}

TCheckNewScheduler::TCheckNewScheduler(IClock& clock, TSharedRef<TCheckMailbox> mailbox,
                                       TCheckWorkerFactory factory)
    : clock_(clock), mailbox_(std::move(mailbox)), factory_(std::move(factory)) {}

bool TCheckNewScheduler::Tick(TRSS& rss, bool checkForNew) {
  try {
    StartChecks(rss);
  } catch (...) {
    // A worker that cannot be started ends this round; the next tick tries again.
  }
  return checkForNew;
}

// Checking is read before the mailbox: a check seen finished has left its
// result there, so LastCheck is its finishing time when the period is measured.
void TCheckNewScheduler::StartChecks(TRSS& rss) {
  const TDateTime now = clock_.Now();
  for (int i = 0; i <= rss.High(); ++i) {
    tchannels& feed = rss.Channels[static_cast<std::size_t>(i)];
    if (feed.Run->Checking) continue;
    TakeInFinishedChecks(feed, i);
    if (!IsDue(feed, i, now)) continue;
    feed.CheckThread.reset();
    feed.CheckThread = factory_(rss, i);
  }
}

void TCheckNewScheduler::TakeInFinishedChecks(tchannels& feed, int i) {
  for (const TCheckResult& result : mailbox_->TakeIf(i, [](const TCheckResult& r) { return !r.Changed; })) {
    if (result.Generation == feed.Generation) feed.LastCheck = result.FinishedAt;
  }
}

bool TCheckNewScheduler::IsDue(const tchannels& feed, int i, TDateTime now) const {
  if (!feed.CheckUpdates || feed.Run->Loading) return false;
  // A change found but not yet taken in would be found, and announced, again.
  const std::uint64_t generation = feed.Generation;
  if (mailbox_->HoldsIf(i, [generation](const TCheckResult& r) { return r.Generation == generation; })) {
    return false;
  }
  return now >= feed.LastCheck + feed.CheckNewPeriod / kMinutesPerDay;
}

}  // namespace kivo
