#include "platform/Clock.h"

#include <chrono>

namespace kivo {
namespace {

class SteadySystemClock final : public IClock {
 public:
  std::uint64_t TickMs() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  TDateTime Now() override { return CurrentDateTime(); }
};

}  // namespace

IClock& SystemClock() {
  static SteadySystemClock clock;
  return clock;
}

}  // namespace kivo
