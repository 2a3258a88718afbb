#include "platform/Worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "base/SharedRef.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kDone = 0x8001;

struct TResult {
  int FeedIndex = 0;
};

// Mailbox and window at once: notes what the worker's busy flag said as the
// result and the message arrived.
struct TProbe final : IMessagePoster {
  using TValue = TResult;
  void Put(TResult) { seen += busy->load() ? "put while busy, " : "put when idle, "; }
  void Post(unsigned, long lParam) override {
    seen += (busy->load() ? "busy post " : "post ") + std::to_string(lParam);
  }
  TSharedRef<std::atomic<bool>> busy = MakeShared<std::atomic<bool>>(false);
  std::string seen;
};

TEST(TWorker, ResultIsInTheMailboxBeforeBusyClearsAndThePostComesLast) {
  struct Case {
    const char* fault;
    bool throws, postIf;
    const char* seen;
  } const cases[] = {
      {"result lost, announced too early or not at all", false, true, "put while busy, post 4"},
      {"announced though the job said not to", false, false, "put while busy, "},
      {"a failed job left a result or a message", true, true, ""},
  };
  for (const Case& c : cases) {
    const auto probe = MakeShared<TProbe>();
    testing::HeldThreads threads;
    const auto worker = TWorker::Start(
        threads, probe->busy,
        TWorkerReport<TProbe>{probe, probe, kDone, 4, [&c](const TResult&) { return c.postIf; }},
        [&c] { return c.throws ? throw std::runtime_error("broken") : TResult{4}; });
    EXPECT_TRUE(worker->Busy()) << c.fault;
    threads.RunNext();
    EXPECT_FALSE(worker->Busy()) << c.fault;
    EXPECT_EQ(probe->seen, c.seen) << c.fault;
  }
}

TEST(TWorker, ThreadThatCannotStartRollsBusyBackAndSaysSo) {
  struct : IThreadStarter {
    std::unique_ptr<IThread> Start(std::function<void()>) override {
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
  } threads;
  const auto probe = MakeShared<TProbe>();
  EXPECT_THROW(
      TWorker::Start(threads, probe->busy, TWorkerReport<TProbe>{probe, probe}, [] { return TResult{}; }),
      std::system_error);
  EXPECT_FALSE(probe->busy->load()) << "a worker that never ran would count as running for ever";
}

// The window used to join its workers: a request stuck in the system's
// network code held up the messenger's stop for the request's whole deadline.
TEST(TWorker, StopGivesUpOnABlockedJobWhoseLateResultReachesNothingFreed) {
  std::promise<void> gate;
  const auto mailbox = MakeShared<TMailbox<TResult>>();
  const auto busy = MakeShared<std::atomic<bool>>(false);
  std::weak_ptr<TClosablePoster> posterLeft;
  {
    auto window = std::make_unique<testing::MessageQueue>();
    const auto poster = MakeShared<TClosablePoster>(*window);
    posterLeft = poster.Shared();
    auto worker =
        TWorker::Start(SystemThreads(), busy, TWorkerReport<TMailbox<TResult>>{mailbox, poster, kDone, 5},
                       [opened = gate.get_future().share()] {
                         opened.wait_for(10s);
                         return TResult{5};
                       });
    EXPECT_FALSE(worker->Stop(std::chrono::steady_clock::now() + 20ms));
    EXPECT_TRUE(busy->load()) << "Stop waited for the job";
    worker.reset();
    poster->Close();  // as the window does before its poster is freed
  }
  gate.set_value();
  for (int i = 0; i < 1000 && !posterLeft.expired(); ++i) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(posterLeft.expired()) << "the job let go never ended";
  EXPECT_FALSE(busy->load());
  EXPECT_EQ(mailbox->Take(5).size(), 1u) << "the late result had nowhere to go";
}

}  // namespace
}  // namespace kivo
