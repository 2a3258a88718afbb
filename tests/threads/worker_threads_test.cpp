// A window that stops its workers while they finish: whichever way each stop
// goes (joined in time or let go), ThreadSanitizer sees no race between the
// worker's hand-over and the window closing its poster and freeing itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "base/SharedRef.h"
#include "platform/Worker.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kDone = 0x8001;
constexpr int kRounds = 200;

struct TResult {
  int FeedIndex = 0;
};

TEST(WorkerThreads, StopRacingAFinishingWorkerEitherJoinsItOrLetsItPostIntoAClosedPoster) {
  const auto mailbox = MakeShared<TMailbox<TResult>>();
  auto jobs = std::make_shared<int>(0);  // co-owned by every job until it ends
  const std::weak_ptr<int> jobsLeft = jobs;
  int joined = 0;
  for (int round = 0; round < kRounds; ++round) {
    auto window = std::make_unique<testing::MessageQueue>();
    const auto poster = MakeShared<TClosablePoster>(*window);
    const auto busy = MakeShared<std::atomic<bool>>(false);
    auto worker =
        TWorker::Start(SystemThreads(), busy, TWorkerReport<TMailbox<TResult>>{mailbox, poster, kDone, round},
                       [round, jobs] { return TResult{round}; });
    const bool ended =
        worker->Stop(std::chrono::steady_clock::now() + std::chrono::microseconds(round % 20 * 25));
    worker.reset();
    poster->Close();
    if (ended) {
      ++joined;
      EXPECT_EQ(window->Take(kDone), std::vector<long>{round}) << "a worker joined in time had not posted";
    }
    window.reset();
  }
  jobs.reset();
  for (int i = 0; i < 1000 && !jobsLeft.expired(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(jobsLeft.expired()) << "a worker let go never ended";
  EXPECT_EQ(mailbox->Size(), static_cast<std::size_t>(kRounds)) << "results went missing";
}

}  // namespace
}  // namespace kivo
