#pragma once
// A buffered file stream that also reads and writes single bits, most
// significant first, with a byte limit for bit mode: after SetByteLimit(n)
// exactly n bytes come from the file, up to 20 more requests get zero bytes,
// and a request beyond that is a damaged block.
#include <cstdint>

#include "archive/BufferedFileStream.h"

namespace vz::archive {

class BitFile : public BufferedFileStream {
 public:
  static constexpr std::int32_t kCapacity = 0x10000;
  static constexpr std::int32_t kSlackBytes = 20;

  BitFile(const std::string& fileName, unsigned mode);
  // Over a file opened elsewhere for writing, which must outlive it.
  BitFile(platform::OpenedFile& file, const std::string& fileName);
  ~BitFile() override;

  void SetByteLimit(std::int32_t n);
  bool ReadBit();
  std::int32_t ReadBits(int n);
  void WriteBit(bool bit);
  void WriteBits(std::uint32_t value, int n);
  void ResetBitBuffer();

  // Bytes taken in bit mode since the limit was set.
  std::int32_t ByteCount() const { return byteCount_; }

 private:
  void FetchByte();

  std::uint8_t bitMask_ = 0x80;
  std::uint8_t currentByte_ = 0;
  bool readOnly_;
  std::int32_t byteLimit_ = 0x7FFFFFFF;
  std::int32_t byteCount_ = 0;
};

}  // namespace vz::archive
