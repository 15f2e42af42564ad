#include "archive/BitFile.h"

namespace vz::archive {

BitFile::BitFile(const std::string& fileName, unsigned mode)
    : BufferedFileStream(fileName, mode, kCapacity), readOnly_(mode == 0) {}

BitFile::BitFile(platform::OpenedFile& file, const std::string& fileName)
    : BufferedFileStream(file, fileName, kCapacity), readOnly_(false) {}

BitFile::~BitFile() {
  // A partly filled output byte is written out. Only a stream opened for
  // writing writes: one opened to read never changes its file.
  if (!readOnly_ && WriteMode() && bitMask_ != 0x80) WriteByte(currentByte_);
}

void BitFile::ResetBitBuffer() {
  bitMask_ = 0x80;
  currentByte_ = 0;
}

}  // namespace vz::archive
