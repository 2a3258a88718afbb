// The one runner of the window's workers: the load of a feed, the update check
// of a feed and the download of a picture. A worker runs one job on a thread
// of its own and hands the result over whole: into a mailbox, then a message
// posted to the window. A stop waits for it only up to a deadline and lets a
// worker still blocked then go on alone; such a worker co-owns everything it
// touches after its job, so its late result reaches nothing freed.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

#include "base/SharedRef.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"

namespace kivo {

// Where a worker's result goes: into `Mailbox`, then `Message` with `LParam`
// to `Poster` when `PostIf` says so (always when it is empty). A job that
// throws posts `FailureMessage` (when not 0) with `LParam` instead: a window
// that counts its running workers hears of every end.
template <class TBox>
struct TWorkerReport {
  TSharedRef<TBox> Mailbox;
  TSharedRef<IMessagePoster> Poster;
  unsigned Message = 0;
  long LParam = 0;
  std::function<bool(const typename TBox::TValue&)> PostIf = nullptr;
  unsigned FailureMessage = 0;
};

// A started worker, owned on the window's thread.
class TWorker {
 public:
  // Sets `busy` and runs `job` (which returns the result) on a thread of
  // `threads`. The thread puts the result into the mailbox, clears `busy`,
  // then posts; whoever sees `busy` clear finds the result in the mailbox. A
  // job that throws leaves no result and posts only its report's
  // FailureMessage; `busy` clears all the same. Throws, with `busy` clear again, when no thread can be
  // started.
  template <class TBox, class TJob>
  static std::unique_ptr<TWorker> Start(IThreadStarter& threads, TSharedRef<std::atomic<bool>> busy,
                                        TWorkerReport<TBox> report, TJob job);

  // `thread` null: a worker that has already ended.
  TWorker(TSharedRef<const std::atomic<bool>> busy, std::unique_ptr<IThread> thread);
  // Waits for the thread, unless Stop has let it go.
  ~TWorker();
  TWorker(const TWorker&) = delete;
  TWorker& operator=(const TWorker&) = delete;

  bool Busy() const { return busy_->load(std::memory_order_acquire); }

  // Waits for the thread until `deadline`; a thread still running then goes
  // on alone. True when it ended in time.
  bool Stop(TSteadyTime deadline);

 private:
  TSharedRef<const std::atomic<bool>> busy_;
  std::unique_ptr<IThread> thread_;
};

template <class TBox, class TJob>
std::unique_ptr<TWorker> TWorker::Start(IThreadStarter& threads, TSharedRef<std::atomic<bool>> busy,
                                        TWorkerReport<TBox> report, TJob job) {
  auto worker = std::make_unique<TWorker>(busy, nullptr);
  busy->store(true, std::memory_order_release);
  auto run = [busy, report = std::move(report), job = std::move(job)]() mutable noexcept {
    unsigned message = 0;
    try {
      auto result = job();
      if (!report.PostIf || report.PostIf(std::as_const(result))) message = report.Message;
      report.Mailbox->Put(std::move(result));
    } catch (...) {
      message = report.FailureMessage;  // no result to announce; at most the end
    }
    busy->store(false, std::memory_order_release);
    if (message == 0) return;
    try {
      report.Poster->Post(message, report.LParam);
    } catch (...) {
      // The result waits in the mailbox; the window's next look finds it.
    }
  };
  try {
    worker->thread_ = threads.Start(std::move(run));
  } catch (...) {
    busy->store(false, std::memory_order_release);
    throw;
  }
  return worker;
}

}  // namespace kivo
