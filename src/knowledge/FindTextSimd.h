#pragma once
// Internal: the vector pre-filter searches behind FindText. Each takes the
// 0-based first window start `from` (from + m <= n) and returns the 0-based
// start of the first match, or npos.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vz::knowledge::detail {

inline constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

// Two pattern positions the pre-filter compares, and the two byte values
// (small and capital form) each may have in the text.
struct PrefilterPlan {
  std::size_t pos1 = 0, pos2 = 0;
  std::uint8_t first1 = 0, second1 = 0;
  std::uint8_t first2 = 0, second2 = 0;
};

PrefilterPlan PlanPrefilter(std::string_view pattern);

// Upper-cased comparison of the m bytes at window against the pattern.
bool MatchesAt(const char* window, std::string_view pattern);

std::size_t HorspoolSearch(std::string_view pattern, std::string_view text, std::size_t from);
std::size_t Sse2Search(std::string_view pattern, std::string_view text, std::size_t from);
std::size_t Avx2Search(std::string_view pattern, std::string_view text, std::size_t from);
bool CpuHasAvx2();
bool HasSse2();

}  // namespace vz::knowledge::detail
