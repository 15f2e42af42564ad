#pragma once
// A clock whose time and tick counter the test sets.
#include "platform/Clock.h"

namespace vz::platform::testing {

class FakeClock final : public Clock {
 public:
  LocalTime now;
  std::uint64_t ticks = 0;
  LocalTime Now() const override { return now; }
  std::uint64_t TickCountMs() const override { return ticks; }
};

}  // namespace vz::platform::testing
