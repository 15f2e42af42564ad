#include "knowledge/DataAge.h"

namespace vz::knowledge {

bool IsSpywareDataTooOld(std::int64_t fileDate, std::uint32_t now) {
  if (fileDate < 0) return false;
  // 64-bit arithmetic: packed dates from 2044 on have the top bit set and must
  // not turn negative.
  return (static_cast<std::int64_t>(now) - fileDate) / 1000 > kDataAgeLimit;
}

}  // namespace vz::knowledge
