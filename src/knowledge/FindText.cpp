#include "knowledge/FindText.h"

#include <array>
#include <cassert>
#include <cstdint>

#include "knowledge/FindTextSimd.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {

namespace detail {

bool MatchesAt(const char* window, std::string_view pattern) {
  for (std::size_t j = 0; j < pattern.size(); ++j)
    if (UpperChar(window[j]) != UpperChar(pattern[j])) return false;
  return true;
}

// Boyer-Moore-Horspool on upper-cased bytes: the window is compared from its
// last byte backwards and then moved by the skip entry of the text byte under
// its last position.
std::size_t HorspoolSearch(std::string_view pattern, std::string_view text, std::size_t from) {
  const std::size_t m = pattern.size();
  const std::size_t n = text.size();
  std::array<std::uint32_t, 256> skip;
  skip.fill(static_cast<std::uint32_t>(m));
  for (std::size_t j = 0; j + 1 < m; ++j)
    skip[kUpperCase[static_cast<std::uint8_t>(pattern[j])]] = static_cast<std::uint32_t>(m - 1 - j);

  for (std::size_t last = from + m - 1; last < n;) {
    std::size_t j = m;
    while (j > 0 && UpperChar(text[last - (m - j)]) == UpperChar(pattern[j - 1])) --j;
    if (j == 0) return last + 1 - m;
    last += skip[kUpperCase[static_cast<std::uint8_t>(text[last])]];
  }
  return kNoMatch;
}

}  // namespace detail

namespace {

// Below this many bytes to search the vector set-up does not pay.
constexpr std::size_t kVectorThreshold = 64;

std::size_t Search(FindTextPath path, std::string_view pattern, std::string_view text, std::size_t from) {
  switch (path) {
    case FindTextPath::Avx2: return detail::Avx2Search(pattern, text, from);
    case FindTextPath::Sse2: return detail::Sse2Search(pattern, text, from);
    case FindTextPath::Horspool: break;
  }
  return detail::HorspoolSearch(pattern, text, from);
}

std::size_t Run(FindTextPath path, std::string_view pattern, std::string_view text, std::size_t start) {
  assert(start >= 1 && "FindText positions start at 1");
  if (start < 1) start = 1;  // release builds: treat as the text's start rather than read before it
  const std::size_t m = pattern.size();
  const std::size_t n = text.size();
  if (m == 0 || n < m) return 0;
  const std::size_t from = start - 1;
  if (from > n - m) return 0;
  std::size_t found = Search(path, pattern, text, from);
  return found == detail::kNoMatch ? 0 : found + 1;
}

}  // namespace

bool IsFindTextPathAvailable(FindTextPath path) {
  switch (path) {
    case FindTextPath::Avx2: return detail::CpuHasAvx2();
    case FindTextPath::Sse2: return detail::HasSse2();
    case FindTextPath::Horspool: return true;
  }
  return false;
}

FindTextPath BestFindTextPath() {
  static const FindTextPath best = IsFindTextPathAvailable(FindTextPath::Avx2)   ? FindTextPath::Avx2
                                   : IsFindTextPathAvailable(FindTextPath::Sse2) ? FindTextPath::Sse2
                                                                                 : FindTextPath::Horspool;
  return best;
}

std::size_t FindText(std::string_view pattern, std::string_view text, std::size_t start) {
  const bool shortSearch = start > text.size() || text.size() - (start - 1) < kVectorThreshold;
  return Run(shortSearch ? FindTextPath::Horspool : BestFindTextPath(), pattern, text, start);
}

std::size_t FindTextUsing(FindTextPath path, std::string_view pattern, std::string_view text, std::size_t start) {
  if (!IsFindTextPathAvailable(path)) path = BestFindTextPath();
  return Run(path, pattern, text, start);
}

}  // namespace vz::knowledge
