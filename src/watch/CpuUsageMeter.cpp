#include "watch/CpuUsageMeter.h"

#include <cmath>

namespace vz::watch {

int RoundHalfEven(double value) {
  double floor = std::floor(value);
  double fraction = value - floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) floor += 1.0;
  return static_cast<int>(floor);
}

double CpuUsageMeter::GetCpuUsage() {
  constexpr double kFailed = 100.0;
  platform::CpuTimesSample now;
  if (!times_.Read(now)) return kFailed;  // the previous numbers stay

  double result = kFailed;
  if (measured_) {
    // Differences of the unsigned counters as doubles: a counter that went
    // backwards gives a negative delta, not a huge one.
    double idleDelta = static_cast<double>(now.idleTime) - static_cast<double>(prevIdleTime_);
    double timeDelta = static_cast<double>(now.systemTime) - static_cast<double>(prevSystemTime_);
    if (timeDelta > 0 && now.processorCount > 0) {
      double usage = 100.0 - (idleDelta / timeDelta * 100.0) / now.processorCount + 0.5;
      if (usage >= 0.0 && usage <= 100.0) result = usage;
    }
  }
  measured_ = true;
  prevIdleTime_ = now.idleTime;
  prevSystemTime_ = now.systemTime;
  return result;
}

}  // namespace vz::watch
