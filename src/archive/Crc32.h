#pragma once
// CRC-32 (ISO 3309 / ITU-T V.42, as zlib and PNG): reflected polynomial
// 0xEDB88320, preset 0xFFFFFFFF, final value inverted. Add takes a whole
// buffer at a time and may be called for consecutive pieces.
#include <cstddef>
#include <cstdint>

namespace vz::archive {

class Crc32 {
 public:
  Crc32() = default;
  void Add(const std::uint8_t* data, std::size_t size);
  std::uint32_t Value() const { return register_ ^ 0xFFFFFFFFu; }

 private:
  std::uint32_t register_ = 0xFFFFFFFFu;
};

std::uint32_t Crc32Of(const std::uint8_t* data, std::size_t size);

}  // namespace vz::archive
