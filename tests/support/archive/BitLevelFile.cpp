#include "support/archive/BitLevelFile.h"

#include "archive/ArchiveErrors.h"

namespace vz::archive::testing {

void BitLevelFile::SetByteLimit(std::int32_t n) {
  byteCount_ = 0;
  byteLimit_ = n;
}

void BitLevelFile::FetchByte() {
  if (byteLimit_ > byteCount_) {
    ReadByte(currentByte_);
  } else if (std::int64_t{byteCount_} - byteLimit_ >= kSlackBytes) {
    throw BlockDamaged(kTooManyBitModeBytes);
  } else {
    currentByte_ = 0;
  }
  ++byteCount_;
}

bool BitLevelFile::ReadBit() {
  if (bitMask_ == 0x80) FetchByte();
  bool bit = (currentByte_ & bitMask_) != 0;
  bitMask_ >>= 1;
  if (bitMask_ == 0) bitMask_ = 0x80;
  return bit;
}

std::int32_t BitLevelFile::ReadBits(int n) {
  std::uint32_t result = 0;
  for (std::uint32_t mask = 1u << (n - 1); mask != 0; mask >>= 1)
    if (ReadBit()) result |= mask;
  return static_cast<std::int32_t>(result);
}

void BitLevelFile::WriteBit(bool bit) {
  if (bit) currentByte_ |= bitMask_;
  if (bitMask_ == 1) {
    WriteByte(currentByte_);
    currentByte_ = 0;
    bitMask_ = 0x80;
  } else {
    bitMask_ >>= 1;
  }
}

void BitLevelFile::WriteBits(std::uint32_t value, int n) {
  for (int bit = n - 1; bit >= 0; --bit) WriteBit(((value >> bit) & 1u) != 0);
}

}  // namespace vz::archive::testing
