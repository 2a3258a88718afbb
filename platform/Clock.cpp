#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace kivo {
namespace {

constexpr double kSecondsPerDay = 86400.0;

TDateTime LocalNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto whole = floor<std::chrono::seconds>(now);
  const std::time_t seconds = system_clock::to_time_t(whole);
  const auto millis = duration_cast<milliseconds>(now - whole).count();
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec) +
         static_cast<double>(millis) / (1000.0 * kSecondsPerDay);
}

class SteadySystemClock final : public IClock {
 public:
  std::uint64_t TickMs() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
  }
  TDateTime Now() override { return LocalNow(); }
};

}  // namespace

IClock& SystemClock() {
  static SteadySystemClock clock;
  return clock;
}

}  // namespace kivo
