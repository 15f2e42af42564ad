#include "archive/BitFile.h"

#include "archive/ArchiveErrors.h"

namespace vz::archive {

BitFile::BitFile(const std::string& fileName, unsigned mode)
    : BufferedFileStream(fileName, mode, kCapacity), readOnly_(mode == 0) {
  SetByteLimit(0x7FFFFFFF);
}

BitFile::BitFile(platform::OpenedFile& file, const std::string& fileName)
    : BufferedFileStream(file, fileName, kCapacity), readOnly_(false) {
  SetByteLimit(0x7FFFFFFF);
}

BitFile::~BitFile() {
  // A partly filled output byte is written out. Only a stream opened for
  // writing writes: one opened to read never changes its file.
  if (!readOnly_ && WriteMode() && bitMask_ != 0x80) WriteByte(currentByte_);
}

void BitFile::SetByteLimit(std::int32_t n) {
  byteCount_ = 0;
  byteLimit_ = n;
}

void BitFile::FetchByte() {
  if (byteLimit_ > byteCount_) {
    ReadByte(currentByte_);
  } else if (std::int64_t{byteCount_} - byteLimit_ >= kSlackBytes) {
    // A damaged block whose decoder keeps asking for input: end this
    // archive's extraction, never the process.
    throw BlockDamaged(kTooManyBitModeBytes);
  } else {
    currentByte_ = 0;
  }
  ++byteCount_;
}

bool BitFile::ReadBit() {
  if (bitMask_ == 0x80) FetchByte();
  bool bit = (currentByte_ & bitMask_) != 0;
  bitMask_ >>= 1;
  if (bitMask_ == 0) bitMask_ = 0x80;
  return bit;
}

std::int32_t BitFile::ReadBits(int n) {
  std::uint32_t result = 0;
  for (std::uint32_t mask = 1u << (n - 1); mask != 0; mask >>= 1)
    if (ReadBit()) result |= mask;
  return static_cast<std::int32_t>(result);
}

void BitFile::WriteBit(bool bit) {
  if (bit) currentByte_ |= bitMask_;
  if (bitMask_ == 1) {
    WriteByte(currentByte_);
    currentByte_ = 0;
    bitMask_ = 0x80;
  } else {
    bitMask_ >>= 1;
  }
}

void BitFile::WriteBits(std::uint32_t value, int n) {
  for (int bit = n - 1; bit >= 0; --bit) WriteBit(((value >> bit) & 1u) != 0);
}

void BitFile::ResetBitBuffer() {
  bitMask_ = 0x80;
  currentByte_ = 0;
}

}  // namespace vz::archive
