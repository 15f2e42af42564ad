#include "archive/ArchiveRecords.h"

#include "archive/ArchiveErrors.h"

namespace vz::archive {

std::uint32_t ReadDWord(BufferedFileStream& stream) {
  std::uint8_t b[4];
  stream.ReadBytes(b, 4);
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

void WriteDWord(BufferedFileStream& stream, std::uint32_t value) {
  std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  stream.WriteBytes(b, 4);
}

std::string ReadZString(BufferedFileStream& stream) {
  std::string text;
  std::uint8_t b;
  while (stream.ReadByte(b) && b != 0) text.push_back(static_cast<char>(b));
  return text;
}

void WriteZString(BufferedFileStream& stream, const std::string& text) {
  stream.WriteBytes(text.data(), static_cast<std::int32_t>(text.size()));
  stream.WriteByte(0);
}

void ArchiveHeader::ReadChecked(BufferedFileStream& stream) {
  if (ReadDWord(stream) != Signature()) throw SignatureWrong();
  ReadBody(stream);
}

void ArchiveHeader::WriteRecord(BufferedFileStream& stream) const {
  WriteDWord(stream, Signature());
  WriteBody(stream);
}

void DataBlockHeader::ReadBody(BufferedFileStream& stream) {
  BlockCRC = ReadDWord(stream);
  CompressedSize = static_cast<std::int32_t>(ReadDWord(stream));
  FirstIndex = static_cast<std::int32_t>(ReadDWord(stream));
  SentinelIndex = static_cast<std::int32_t>(ReadDWord(stream));
}

void DataBlockHeader::WriteBody(BufferedFileStream& stream) const {
  WriteDWord(stream, BlockCRC);
  WriteDWord(stream, static_cast<std::uint32_t>(CompressedSize));
  WriteDWord(stream, static_cast<std::uint32_t>(FirstIndex));
  WriteDWord(stream, static_cast<std::uint32_t>(SentinelIndex));
}

void CentralFileHeader::ReadBody(BufferedFileStream& stream) {
  Reserved = ReadDWord(stream);
  FileSize = static_cast<std::int32_t>(ReadDWord(stream));
  BlockCount = static_cast<std::int32_t>(ReadDWord(stream));
  DataOffset = static_cast<std::int32_t>(ReadDWord(stream));
  FileDateTime = ReadDWord(stream);
  Attributes = ReadDWord(stream);
  SetPath(ReadZString(stream));
  Marked = false;
}

void CentralFileHeader::WriteBody(BufferedFileStream& stream) const {
  WriteDWord(stream, Reserved);
  WriteDWord(stream, static_cast<std::uint32_t>(FileSize));
  WriteDWord(stream, static_cast<std::uint32_t>(BlockCount));
  WriteDWord(stream, static_cast<std::uint32_t>(DataOffset));
  WriteDWord(stream, FileDateTime);
  WriteDWord(stream, Attributes);
  WriteZString(stream, FolderName + FileName);
}

void CentralFileHeader::SetPath(const std::string& path) {
  auto cut = path.find_last_of("\\:");
  if (cut == std::string::npos) {
    FolderName.clear();
    FileName = path;
  } else {
    FolderName = path.substr(0, cut + 1);
    FileName = path.substr(cut + 1);
  }
}

void CentralDirEndHeader::ReadBody(BufferedFileStream& stream) {
  BlockSize = static_cast<std::int32_t>(ReadDWord(stream));
  CentralDirOffset = static_cast<std::int32_t>(ReadDWord(stream));
}

void CentralDirEndHeader::WriteBody(BufferedFileStream& stream) const {
  WriteDWord(stream, static_cast<std::uint32_t>(BlockSize));
  WriteDWord(stream, static_cast<std::uint32_t>(CentralDirOffset));
}

}  // namespace vz::archive
