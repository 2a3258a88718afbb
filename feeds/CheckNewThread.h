// The update check: at each feed's period the size the server announces for
// the feed is compared with the remembered one. The check worker works on a
// copy of what it needs and hands its finding over through a mailbox; the
// window's thread adopts it (HasNew, NetFileSize, LastCheck).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/FilePaths.h"
#include "base/SharedRef.h"
#include "feeds/FeedTable.h"
#include "feeds/HttpDownload.h"
#include "feeds/PluginGlobals.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "platform/Worker.h"

namespace kivo {

struct TCheckSnapshot {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  std::shared_ptr<TFeedRunState> Run;
  std::string Url;
  TFilePath CacheFile;
  TFilePath RawFile;
  bool CheckExtCheck = false;
  int NetFileSize = 0;  // the remembered size
  TProxySettings Proxy;
  TValidators Validators;  // a 304 to them is no change
};

TCheckSnapshot TakeCheckSnapshot(const TRSS& rss, int i, const TPluginGlobals& globals);

struct TCheckResult {
  int FeedIndex = -1;
  std::uint64_t Generation = 0;
  int Size = -1;         // what GetRemoteSize found
  bool Changed = false;  // at least 1 and not the remembered size
  TDateTime FinishedAt = 0;
};

using TCheckMailbox = TMailbox<TCheckResult>;

// As TLoadServices: the references outlive every worker, the rest is co-owned.
struct TCheckServices {
  IHttpClient& Http;
  IClock& Clock;
  IThreadStarter& Threads;
  TSharedRef<IMessagePoster> Poster;  // WM_FEED_CHANGED
  TSharedRef<TCheckMailbox> Mailbox;
  TSharedRef<THttpCancel> Cancel;  // cuts off the requests at a stop
  std::chrono::milliseconds Deadline = kRequestDeadline;
};

// The check on the calling thread, without touching Checking.
TCheckResult CheckFeed(const TCheckSnapshot& feed, const TCheckServices& services);

// Sets Checking and starts the worker (feed.Run is required). The worker puts
// its result into the mailbox, also after an error (as no change, finished
// now), clears Checking and, when the size changed, posts WM_FEED_CHANGED
// with the feed index. Throws, with Checking clear, when no thread can be
// started.
std::unique_ptr<TWorker> StartCheckNewThread(TCheckSnapshot feed, const TCheckServices& services);

// On the window's thread, for WM_FEED_CHANGED with lParam i: adopts the results
// of feed i that belong to the record there now: LastCheck from each; HasNew
// and NetFileSize from a change, unless a load has meanwhile brought the
// remembered size to the one found. True when a change was adopted.
bool AdoptCheckResult(TRSS& rss, TCheckMailbox& mailbox, int i);

// Makes the check worker of feed i.
using TCheckWorkerFactory = std::function<std::unique_ptr<TWorker>(TRSS& rss, int i)>;

// Real check workers; `globals` (for the proxy) must outlive the factory.
TCheckWorkerFactory CheckThreadFactory(const TPluginGlobals& globals, TCheckServices services);

// The logic of the window's CheckNewTimer.
class TCheckNewScheduler {
 public:
  static constexpr int kTimerIntervalMs = 10000;

  // `mailbox` is the one the factory's workers report to.
  TCheckNewScheduler(IClock& clock, TSharedRef<TCheckMailbox> mailbox, TCheckWorkerFactory factory);

  // One tick (CheckNewTimerTimer): the caller has stopped the timer and starts
  // it again when this returns true, which is exactly when `checkForNew` is on.
  // Every feed that takes part in checking, is neither being checked nor
  // loaded, has no announced change waiting, and whose LastCheck lies a period
  // or more back gets a new check worker in CheckThread.
  bool Tick(TRSS& rss, bool checkForNew);

 private:
  void StartChecks(TRSS& rss);
  // LastCheck from the checks of feed i that ended finding nothing new.
  void TakeInFinishedChecks(tchannels& feed, int i);
  bool IsDue(const tchannels& feed, int i, TDateTime now) const;

  IClock& clock_;
  TSharedRef<TCheckMailbox> mailbox_;
  TCheckWorkerFactory factory_;
};

}  // namespace kivo
