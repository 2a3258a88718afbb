// A stop cancels while requests begin and end on the workers' threads: an
// abort runs only while its request lives, so what it closes is never freed
// under it, and ThreadSanitizer sees no race between the two sides.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Http.h"

namespace kivo {
namespace {

constexpr int kThreads = 6;
constexpr int kRequests = 300;

TEST(HttpCancelThreads, CancelRacingRequestsThatEndNeverRunsTheAbortOfAnEndedOne) {
  for (int round = 0; round < 20; ++round) {
    const auto cancel = std::make_shared<THttpCancel>();
    std::atomic<int> aborted{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
      workers.emplace_back([&cancel, &aborted] {
        // Once it sees the cancel a worker starts no request, as a load does.
        for (int i = 0; i < kRequests && !cancel->Cancelled(); ++i) {
          // What a request's abort closes: freed once the request has ended.
          auto handles = std::make_unique<int>(0);
          {
            const THttpCancel::TAbort abort = THttpCancel::OnCancel(cancel, [&aborted, p = handles.get()] {
              *p = 1;
              aborted.fetch_add(1);
            });
            if (cancel->Cancelled()) break;
          }
          handles.reset();
        }
      });
    }
    std::this_thread::sleep_for(std::chrono::microseconds(round * 50));
    cancel->Cancel();
    for (std::thread& worker : workers) worker.join();
    EXPECT_LE(aborted.load(), kThreads);
  }
}

}  // namespace
}  // namespace kivo
