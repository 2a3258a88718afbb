// Time as the plugin sees it; injectable so timers and workers are testable.
#pragma once

#include <cstdint>

#include "base/DateTime.h"

namespace kivo {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds from an arbitrary start, monotonic (the platform tick count).
  virtual std::uint64_t TickMs() = 0;
  // Local date and time.
  virtual TDateTime Now() = 0;
};

// The real clock of the machine.
IClock& SystemClock();

}  // namespace kivo
