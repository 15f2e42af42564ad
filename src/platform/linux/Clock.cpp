#include "platform/Clock.h"

#include <time.h>

#include <cstdio>

namespace vz::platform {

namespace {

class LinuxClock final : public Clock {
 public:
  LocalTime Now() const override {
    time_t now = ::time(nullptr);
    struct tm tm {};
    ::localtime_r(&now, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.weekday = tm.tm_wday;
    return t;
  }

  std::uint64_t TickCountMs() const override {
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  }
};

}  // namespace

Clock& SystemClock() {
  static LinuxClock clock;
  return clock;
}

std::string FormatTimeOfDay(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour % 100, time.minute % 100, time.second % 100);
  return text;
}

}  // namespace vz::platform
