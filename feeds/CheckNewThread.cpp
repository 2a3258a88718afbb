#include "feeds/CheckNewThread.h"

#include <utility>

#include "feeds/FeedMessages.h"

namespace kivo {

namespace {

constexpr double kMinutesPerDay = 1440.0;

IClock& ClockOf(const TCheckServices& services) {
  return services.Clock ? *services.Clock : SystemClock();
}

bool IsChange(int size, int rememberedSize) {
  return size >= 1 && size != rememberedSize;
}

}  // namespace

TCheckSnapshot TakeCheckSnapshot(const TRSS& rss, int i, const TPluginGlobals& globals) {
  const tchannels& channel = rss.Channels.at(static_cast<std::size_t>(i));
  TCheckSnapshot feed;
  feed.FeedIndex = i;
  feed.Generation = channel.Generation;
  feed.Run = channel.Run;
  feed.Url = channel.Url;
  feed.RawFile = channel.RawFile;
  feed.CheckExtCheck = channel.CheckExtCheck;
  feed.NetFileSize = channel.NetFileSize;
  feed.Proxy = ProxySettingsOf(globals);
  return feed;
}

TCheckResult CheckFeed(const TCheckSnapshot& feed, const TCheckServices& services) {
  TNetContext ctx;
  ctx.Http = services.Http;
  ctx.Clock = services.Clock;
  ctx.Deadline = services.Deadline;
  ctx.Cancel = services.Cancel;
  TCheckResult result;
  result.FeedIndex = feed.FeedIndex;
  result.Generation = feed.Generation;
  result.Size = GetRemoteSize(MakeDownloadParams(feed.Url, feed.Proxy), feed.FeedIndex, ctx, feed.CheckExtCheck,
                              feed.RawFile);
  result.Changed = IsChange(result.Size, feed.NetFileSize);
  result.FinishedAt = ClockOf(services).Now();
  return result;
}

TCheckNewThread::TCheckNewThread(TCheckSnapshot feed, TCheckServices services)
    : feed_(std::move(feed)), services_(std::move(services)) {
  if (feed_.Run) feed_.Run->Checking = true;
  try {
    thread_ = std::thread([this] { Execute(); });
  } catch (...) {
    if (feed_.Run) feed_.Run->Checking = false;
    throw;
  }
}

TCheckNewThread::~TCheckNewThread() {
  if (thread_.joinable()) thread_.join();
}

// The result goes in before Checking clears: whoever sees the flag clear finds
// the finishing time in the mailbox.
void TCheckNewThread::Execute() {
  TCheckResult result;
  try {
    result = CheckFeed(feed_, services_);
  } catch (...) {
    result.FeedIndex = feed_.FeedIndex;
    result.Generation = feed_.Generation;
    result.FinishedAt = ClockOf(services_).Now();
  }
  const bool changed = result.Changed;
  if (services_.Mailbox) services_.Mailbox->Put(std::move(result));
  if (feed_.Run) feed_.Run->Checking = false;
  if (changed && services_.Poster) services_.Poster->Post(WM_FEED_CHANGED, feed_.FeedIndex);
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
  return [&globals, services = std::move(services)](TRSS& rss, int i) -> std::unique_ptr<IFeedWorker> {
    return std::make_unique<TCheckNewThread>(TakeCheckSnapshot(rss, i, globals), services);
  };
}

TCheckNewScheduler::TCheckNewScheduler(IClock& clock, std::shared_ptr<TCheckMailbox> mailbox,
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
