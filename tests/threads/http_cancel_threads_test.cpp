// A stop cancels while requests begin and end on the workers' threads: an
// abort runs only while its request lives, so what it closes is never freed under it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Http.h"

namespace kivo {
namespace {

TEST(HttpCancelThreads, CancelRacingRequestsThatEndNeverRunsTheAbortOfAnEndedOne) {
  for (int round = 0; round < 20; ++round) {
    const auto cancel = std::make_shared<THttpCancel>();
    std::vector<std::thread> workers;
    for (int t = 0; t < 6; ++t) {
      workers.emplace_back([&cancel] {
        for (int i = 0; i < 300 && !cancel->Cancelled(); ++i) {
          auto handles = std::make_unique<int>(0);  // what a request's abort closes
          const THttpCancel::TAbort abort = THttpCancel::OnCancel(cancel, [p = handles.get()] { *p = 1; });
        }
      });
    }
    std::this_thread::sleep_for(std::chrono::microseconds(round * 50));
    cancel->Cancel();
    for (std::thread& worker : workers) worker.join();
  }
}

}  // namespace
}  // namespace kivo
