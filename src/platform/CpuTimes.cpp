#include "platform/CpuTimes.h"

#include <charconv>

namespace vz::platform {

std::optional<std::uint64_t> ParseProcStatIdleTicks(std::string_view procStat) {
  // The first line: "cpu  user nice system idle iowait irq softirq ..."
  std::string_view line = procStat.substr(0, procStat.find('\n'));
  if (line.size() < 4 || line.substr(0, 4) != "cpu ") return std::nullopt;
  line.remove_prefix(4);
  std::uint64_t fields[5] = {};
  int count = 0;
  while (count < 5) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (line.empty()) break;
    auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), fields[count]);
    if (ec != std::errc()) return std::nullopt;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    ++count;
  }
  if (count < 4) return std::nullopt;
  // Kernels before 2.5.41 have no iowait column.
  return fields[3] + (count >= 5 ? fields[4] : 0);
}

std::uint64_t TicksTo100ns(std::uint64_t ticks, std::uint64_t ticksPerSecond) {
  if (ticksPerSecond == 0) return 0;
  // Whole seconds first, so that large counts do not overflow.
  return ticks / ticksPerSecond * 10000000ull + ticks % ticksPerSecond * 10000000ull / ticksPerSecond;
}

}  // namespace vz::platform
