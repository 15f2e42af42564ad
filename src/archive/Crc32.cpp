#include "archive/Crc32.h"

#include <array>
#include <bit>
#include <cstring>

namespace vz::archive {

namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  // Slice tables: t[k][i] is the CRC of byte i followed by k zero bytes.
  for (std::uint32_t i = 0; i < 256; ++i)
    for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void Crc32::Add(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = register_;
  while (size >= 8) {
    std::uint32_t lo, hi;
    std::memcpy(&lo, data, 4);
    std::memcpy(&hi, data + 4, 4);
    if constexpr (std::endian::native == std::endian::big) {
      lo = __builtin_bswap32(lo);
      hi = __builtin_bswap32(hi);
    }
    lo ^= crc;
    crc = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
          kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
          kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) crc = kTables[0][(crc ^ *data++) & 0xFFu] ^ (crc >> 8);
  register_ = crc;
}

std::uint32_t Crc32Of(const std::uint8_t* data, std::size_t size) {
  Crc32 crc;
  crc.Add(data, size);
  return crc.Value();
}

}  // namespace vz::archive
