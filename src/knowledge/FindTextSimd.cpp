// The vector pre-filter: for every window start it tests two chosen pattern
// bytes at once against 16 (SSE2) or 32 (AVX2) text positions, each against
// both forms a byte may take in the text (small and capital), and verifies the
// whole pattern only where both agree. Candidates are tried from left to right,
// so the first verified one is the leftmost occurrence, the same one the
// Horspool search returns.
#include <array>
#include <cstdint>

#include "knowledge/FindTextSimd.h"
#include "knowledge/UpperCase.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VZ_FINDTEXT_X86 1
#endif

namespace vz::knowledge::detail {

namespace {

// For each capital form: the two bytes that upper-case to it (the same byte
// twice when only one does). The code page never folds three bytes together.
struct CaseForms {
  std::array<std::uint8_t, 256> first{}, second{};
};

constexpr CaseForms MakeCaseForms() {
  CaseForms forms;
  std::array<int, 256> count{};
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t u = kUpperCase[c];
    if (count[u] == 0) forms.first[u] = static_cast<std::uint8_t>(c);
    forms.second[u] = static_cast<std::uint8_t>(c);
    ++count[u];
  }
  for (int u = 0; u < 256; ++u)
    if (count[u] > 2) throw "three bytes fold to one capital";
  return forms;
}

constexpr CaseForms kCaseForms = MakeCaseForms();

// How often a byte is expected in list text (higher = more common): line ends,
// TABs, blanks, the frequent letters. The pre-filter prefers rare bytes.
int Commonness(std::uint8_t upper) {
  switch (upper) {
    case '\t': case '\r': case '\n': case ' ': return 5;
    case 'E': case 'T': case 'A': case 'O': case 'I': case 'N': case 'S': case 'R': return 4;
    case 'H': case 'L': case 'D': case 'C': case 'U': case '.': return 3;
    default: break;
  }
  if (upper >= 'A' && upper <= 'Z') return 2;
  if (upper >= '0' && upper <= '9') return 2;
  return 1;
}

std::size_t Rarest(std::string_view pattern, std::size_t skip) {
  std::size_t best = skip == 0 ? 1 : 0;
  for (std::size_t j = 0; j < pattern.size(); ++j) {
    if (j == skip) continue;
    const int c = Commonness(kUpperCase[static_cast<std::uint8_t>(pattern[j])]);
    const int b = Commonness(kUpperCase[static_cast<std::uint8_t>(pattern[best])]);
    // Equal rarity: the later position, so the two bytes lie apart.
    if (c < b || (c == b && j > best)) best = j;
  }
  return best;
}

}  // namespace

PrefilterPlan PlanPrefilter(std::string_view pattern) {
  PrefilterPlan plan;
  if (pattern.size() >= 2) {
    plan.pos1 = Rarest(pattern, pattern.size());  // nothing skipped
    plan.pos2 = Rarest(pattern, plan.pos1);
  }
  const std::uint8_t u1 = kUpperCase[static_cast<std::uint8_t>(pattern[plan.pos1])];
  const std::uint8_t u2 = kUpperCase[static_cast<std::uint8_t>(pattern[plan.pos2])];
  plan.first1 = kCaseForms.first[u1];
  plan.second1 = kCaseForms.second[u1];
  plan.first2 = kCaseForms.first[u2];
  plan.second2 = kCaseForms.second[u2];
  return plan;
}

#ifdef VZ_FINDTEXT_X86

namespace {

// The pre-filter on 16 text positions at once: bit k is set where the byte at
// at1 + k takes either form of the first chosen pattern byte and the one at
// at2 + k either form of the second.
struct Sse2Lanes {
  static constexpr std::size_t kWidth = 16;
  static unsigned Candidates(const PrefilterPlan& plan, const char* at1, const char* at2) {
    const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at1));
    const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at2));
    const __m128i hit1 = _mm_or_si128(_mm_cmpeq_epi8(x1, _mm_set1_epi8(static_cast<char>(plan.first1))),
                                      _mm_cmpeq_epi8(x1, _mm_set1_epi8(static_cast<char>(plan.second1))));
    const __m128i hit2 = _mm_or_si128(_mm_cmpeq_epi8(x2, _mm_set1_epi8(static_cast<char>(plan.first2))),
                                      _mm_cmpeq_epi8(x2, _mm_set1_epi8(static_cast<char>(plan.second2))));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hit1, hit2)));
  }
};

// The same on 32 positions, compiled for AVX2 and inlined into Avx2Search,
// which only runs where the processor has it.
struct Avx2Lanes {
  static constexpr std::size_t kWidth = 32;
  __attribute__((target("avx2"))) static unsigned Candidates(const PrefilterPlan& plan, const char* at1,
                                                             const char* at2) {
    const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at1));
    const __m256i x2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at2));
    const __m256i hit1 = _mm256_or_si256(_mm256_cmpeq_epi8(x1, _mm256_set1_epi8(static_cast<char>(plan.first1))),
                                         _mm256_cmpeq_epi8(x1, _mm256_set1_epi8(static_cast<char>(plan.second1))));
    const __m256i hit2 = _mm256_or_si256(_mm256_cmpeq_epi8(x2, _mm256_set1_epi8(static_cast<char>(plan.first2))),
                                         _mm256_cmpeq_epi8(x2, _mm256_set1_epi8(static_cast<char>(plan.second2))));
    return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(hit1, hit2)));
  }
};

// The search loop of both widths: whole blocks of window starts from `from`,
// candidates verified from left to right. Returns the first match, or npos
// with `next` at the first window start no block covered. Always inlined, so
// that the AVX2 loop is compiled for AVX2 inside Avx2Search.
template <class Lanes>
__attribute__((always_inline)) inline std::size_t PrefilterBlocks(std::string_view pattern, std::string_view text,
                                                                  std::size_t from, std::size_t& next) {
  const PrefilterPlan plan = PlanPrefilter(pattern);
  const std::size_t lastStart = text.size() - pattern.size();
  const char* base = text.data();
  std::size_t k = from;
  // Every load stays inside the text: k + pos + width - 1 <= lastStart + m - 1 < n.
  for (; k + Lanes::kWidth <= lastStart + 1; k += Lanes::kWidth) {
    unsigned mask = Lanes::Candidates(plan, base + k + plan.pos1, base + k + plan.pos2);
    while (mask != 0) {
      const std::size_t at = k + static_cast<std::size_t>(__builtin_ctz(mask));
      if (MatchesAt(base + at, pattern)) return at;
      mask &= mask - 1;
    }
  }
  next = k;
  return kNoMatch;
}

}  // namespace

bool HasSse2() { return true; }

std::size_t Sse2Search(std::string_view pattern, std::string_view text, std::size_t from) {
  std::size_t next = from;
  const std::size_t found = PrefilterBlocks<Sse2Lanes>(pattern, text, from, next);
  if (found != kNoMatch) return found;
  return next <= text.size() - pattern.size() ? HorspoolSearch(pattern, text, next) : kNoMatch;
}

__attribute__((target("avx2"))) std::size_t Avx2Search(std::string_view pattern, std::string_view text,
                                                       std::size_t from) {
  std::size_t next = from;
  const std::size_t found = PrefilterBlocks<Avx2Lanes>(pattern, text, from, next);
  if (found != kNoMatch) return found;
  // Fewer than 32 window starts left: the 16-wide loop and then Horspool finish.
  return next <= text.size() - pattern.size() ? Sse2Search(pattern, text, next) : kNoMatch;
}

bool CpuHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

#else  // no x86 vectors: the Horspool search serves every path

bool HasSse2() { return false; }
bool CpuHasAvx2() { return false; }
std::size_t Sse2Search(std::string_view pattern, std::string_view text, std::size_t from) {
  return HorspoolSearch(pattern, text, from);
}
std::size_t Avx2Search(std::string_view pattern, std::string_view text, std::size_t from) {
  return HorspoolSearch(pattern, text, from);
}

#endif

}  // namespace vz::knowledge::detail
