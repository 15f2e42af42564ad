#pragma once
// Contract: what the CPU load measurement needs: the number of processors, a
// monotonic clock and the idle time of all processors together, both in
// 100-nanosecond units.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vz::platform {

struct CpuTimesSample {
  std::uint32_t processorCount = 0;
  std::uint64_t systemTime = 0;  // monotonic clock, 100-ns units
  std::uint64_t idleTime = 0;    // idle time summed over all processors, 100-ns units
};

class CpuTimes {
 public:
  virtual ~CpuTimes() = default;
  // false when any of the three numbers cannot be read (sample unchanged).
  virtual bool Read(CpuTimesSample& sample) = 0;
};

// Idle + iowait clock ticks of the "cpu" line of /proc/stat text.
std::optional<std::uint64_t> ParseProcStatIdleTicks(std::string_view procStat);
// Clock ticks (ticksPerSecond of them a second) -> 100-ns units.
std::uint64_t TicksTo100ns(std::uint64_t ticks, std::uint64_t ticksPerSecond);

// The machine's numbers: /proc/stat (or the given file), CLOCK_MONOTONIC and
// the online processor count.
std::unique_ptr<CpuTimes> CreateSystemCpuTimes(const std::string& procStatPath = "/proc/stat");

}  // namespace vz::platform
