#pragma once
// The CPU load in percent from the platform's idle-time counter: how much of
// the time since the previous measurement the processors were not idle.
#include <cstdint>

#include "platform/CpuTimes.h"

namespace vz::watch {

// Rounds to the nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2).
int RoundHalfEven(double value);

class CpuUsageMeter {
 public:
  explicit CpuUsageMeter(platform::CpuTimes& times) : times_(times) {}

  // The load since the previous successful measurement plus 0.5, or 100 when
  // the numbers cannot be read, there is no previous measurement yet, or the
  // result is not a load between 0 and 100 (a clock that stood still or went
  // backwards, idle time that ran ahead of the clock).
  double GetCpuUsage();

 private:
  platform::CpuTimes& times_;
  bool measured_ = false;
  std::uint64_t prevIdleTime_ = 0;
  std::uint64_t prevSystemTime_ = 0;
};

}  // namespace vz::watch
