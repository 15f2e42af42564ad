#pragma once
// Plain reference forms of two archive stages, written for clarity, not
// speed: CRC-32 one byte at a time with the classic 256-entry table, and the
// forward block transform by sorting every rotation of the block plus its
// end marker.
#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace vz::archive::testing {

inline std::uint32_t ByteWiseCrc32(const std::uint8_t* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

// The last column (marker left out), the marker's row and the row of the
// rotation starting at x[1]. Quadratic: for small blocks only.
struct SortedRotations {
  std::vector<std::uint8_t> lastColumn;
  std::int32_t sentinelIndex = 0;
  std::int32_t firstIndex = 0;
};

inline SortedRotations SortRotations(const std::uint8_t* x, std::int32_t n) {
  // Symbol -1 is the marker, which sorts before every byte.
  std::vector<int> text(x, x + n);
  text.push_back(-1);
  const auto len = static_cast<std::int32_t>(text.size());
  std::vector<std::int32_t> rows(static_cast<size_t>(len));
  std::iota(rows.begin(), rows.end(), 0);
  std::sort(rows.begin(), rows.end(), [&](std::int32_t a, std::int32_t b) {
    for (std::int32_t k = 0; k < len; ++k) {
      const int ca = text[static_cast<size_t>((a + k) % len)], cb = text[static_cast<size_t>((b + k) % len)];
      if (ca != cb) return ca < cb;
    }
    return false;
  });
  SortedRotations r;
  for (std::int32_t row = 0; row < len; ++row) {
    const std::int32_t start = rows[static_cast<size_t>(row)];
    if (start == 0) r.sentinelIndex = row;
    if (start == (n >= 1 ? 1 % len : 0)) r.firstIndex = row;
    const int last = text[static_cast<size_t>((start + len - 1) % len)];
    if (last >= 0) r.lastColumn.push_back(static_cast<std::uint8_t>(last));
  }
  return r;
}

}  // namespace vz::archive::testing
