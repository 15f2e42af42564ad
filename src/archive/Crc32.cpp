#include "archive/Crc32.h"

#include <zlib.h>

#include <algorithm>

namespace vz::archive {

// zlib's crc32 is the same CRC; it is the fastest form on this machine
// (bench/archive-vs-bzip2 prints the CRC stage). It takes and returns the
// final (inverted) value and at most 4 GiB a call.
void Crc32::Add(const std::uint8_t* data, std::size_t size) {
  uLong value = register_ ^ 0xFFFFFFFFu;
  while (size > 0) {
    const std::size_t piece = std::min<std::size_t>(size, std::size_t{1} << 30);
    value = crc32(value, data, static_cast<uInt>(piece));
    data += piece;
    size -= piece;
  }
  register_ = static_cast<std::uint32_t>(value) ^ 0xFFFFFFFFu;
}

std::uint32_t Crc32Of(const std::uint8_t* data, std::size_t size) {
  Crc32 crc;
  crc.Add(data, size);
  return crc.Value();
}

}  // namespace vz::archive
