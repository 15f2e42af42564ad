#pragma once
// A buffered file stream with the state of a bit cursor (most significant bit
// first). The archive reader takes each block's payload as whole bytes;
// ResetBitBuffer puts the cursor back on a byte boundary around every block,
// and a stream opened for writing writes out a partly filled last byte.
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

  void ResetBitBuffer();

 protected:
  std::uint8_t bitMask_ = 0x80;
  std::uint8_t currentByte_ = 0;

 private:
  bool readOnly_;
};

}  // namespace vz::archive
