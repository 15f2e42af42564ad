#pragma once
// Bit-level reading and writing over the archive's bit file, with the byte
// limit of bit mode: after SetByteLimit(n) exactly n bytes come from the
// file, up to 20 more requests get zero bytes, and a request beyond that is
// a damaged block. The step-by-step reference decoder reads through it.
#include <cstdint>

#include "archive/BitFile.h"

namespace vz::archive::testing {

class BitLevelFile : public BitFile {
 public:
  using BitFile::BitFile;

  void SetByteLimit(std::int32_t n);
  bool ReadBit();
  std::int32_t ReadBits(int n);
  void WriteBit(bool bit);
  void WriteBits(std::uint32_t value, int n);
  // Bytes taken in bit mode since the limit was set.
  std::int32_t ByteCount() const { return byteCount_; }

 private:
  void FetchByte();

  std::int32_t byteLimit_ = 0x7FFFFFFF;
  std::int32_t byteCount_ = 0;
};

}  // namespace vz::archive::testing
