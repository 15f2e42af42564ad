#pragma once
// Contract: time of day, calendar and the millisecond tick counter, injectable
// so that tests can set the hour and weekday.
#include <cstdint>
#include <string>

namespace vz::platform {

struct LocalTime {
  int year = 1980, month = 1, day = 1;      // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;                           // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds from an arbitrary fixed point, monotonic.
  virtual std::uint64_t TickCountMs() const = 0;
};

// The machine's clock (local time zone).
Clock& SystemClock();

// "hh:mm:ss", the long time format the logs and status texts use.
std::string FormatTimeOfDay(const LocalTime& time);

}  // namespace vz::platform
