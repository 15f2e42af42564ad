#include "archive/InverseTransform.h"

namespace vz::archive {

// Links of the inverse transform of L[0..n] (marker at s): forward[row] holds
// T[row] (the row of the next byte) and that row's byte, backward[row] the
// row of the previous byte and its byte. One memory access a byte.
void BuildLinks(const std::uint8_t* L, std::int32_t n, std::int32_t s, std::int32_t* counts, std::int32_t* running,
                std::uint32_t* forward, std::uint32_t* backward) {
  std::int32_t sum = 0;
  for (int k = 0; k <= 256; ++k) {
    running[k] = sum;
    sum += counts[k];
    counts[k] = 0;
  }
  for (std::int32_t i = 0; i <= n; ++i) {
    if (i == s) continue;
    const std::uint32_t v = L[i];
    const std::int32_t slot = running[v + 1] + counts[v + 1]++;
    forward[slot] = (static_cast<std::uint32_t>(i) << 8) | v;
    backward[i] = (static_cast<std::uint32_t>(slot) << 8) | L[slot];
  }
  forward[0] = (static_cast<std::uint32_t>(s) << 8) | L[s];
  backward[s] = L[0];
}

// The walk as the format defines it: from row f, n bytes forward.
void WalkForward(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                 std::uint8_t* out) {
  if (n == 0) return;
  out[0] = L[f];
  std::uint32_t idx = static_cast<std::uint32_t>(f);
  for (std::int32_t j = 1; j < n; ++j) {
    const std::uint32_t link = forward[idx];
    out[j] = static_cast<std::uint8_t>(link);
    idx = link >> 8;
  }
}

// The same bytes for an intact block, from both ends at once: forward from
// row f, backward from the marker's row 0 (whose byte is the block's last).
// Two independent chains of memory accesses run in parallel.
void WalkBothEnds(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                  const std::uint32_t* backward, std::uint8_t* out) {
  if (n < 2) {
    WalkForward(L, n, f, forward, out);
    return;
  }
  const std::int32_t back = n / 2;
  const std::int32_t front = n - back;
  out[0] = L[f];
  out[n - 1] = L[0];
  std::uint32_t fi = static_cast<std::uint32_t>(f);
  std::uint32_t bi = 0;
  std::int32_t j = 1;
  for (std::int32_t k = 1; k < back; ++k, ++j) {
    const std::uint32_t fl = forward[fi];
    const std::uint32_t bl = backward[bi];
    out[j] = static_cast<std::uint8_t>(fl);
    out[n - 1 - k] = static_cast<std::uint8_t>(bl);
    fi = fl >> 8;
    bi = bl >> 8;
  }
  for (; j < front; ++j) {
    const std::uint32_t fl = forward[fi];
    out[j] = static_cast<std::uint8_t>(fl);
    fi = fl >> 8;
  }
}

}  // namespace vz::archive
