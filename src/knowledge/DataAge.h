#pragma once
// The age test of the spyware data on packed MS-DOS date-times (date in the
// high 16 bits, time in the low 16). In those units a day is 65 536 and a
// month 32 days, so within one year the limit falls after about 60 days and a
// change of year always exceeds it.
#include <cstdint>

namespace vz::knowledge {

inline constexpr std::int64_t kDataAgeLimit = 3900;  // in thousands of packed units

// True when (now - fileDate) / 1000 exceeds the limit. A file date that could
// not be read (negative) never counts as too old.
bool IsSpywareDataTooOld(std::int64_t fileDate, std::uint32_t now);

}  // namespace vz::knowledge
