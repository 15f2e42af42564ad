#pragma once
// The tagged records of a .pck archive: archive header, data block header,
// central directory entry and end record. All numbers are 32-bit little-endian.
#include <cstdint>
#include <string>

#include "archive/BufferedFileStream.h"

namespace vz::archive {

inline constexpr std::uint32_t kSigArchiveHeader = 0x48415354;  // "TSAH"
inline constexpr std::uint32_t kSigDataBlock = 0x41544144;      // "DATA"
inline constexpr std::uint32_t kSigCentralFile = 0x53484643;    // "CFHS"
inline constexpr std::uint32_t kSigCentralDirEnd = 0x52444345;  // "ECDR"
inline constexpr std::int32_t kWriterBlockSize = 409600;        // 0x64000

std::uint32_t ReadDWord(BufferedFileStream& stream);
void WriteDWord(BufferedFileStream& stream, std::uint32_t value);
std::string ReadZString(BufferedFileStream& stream);
void WriteZString(BufferedFileStream& stream, const std::string& text);

class ArchiveHeader {
 public:
  virtual ~ArchiveHeader() = default;
  virtual std::uint32_t Signature() const { return 0; }
  virtual void ReadBody(BufferedFileStream&) {}
  virtual void WriteBody(BufferedFileStream&) const {}

  // Reads the signature; a different one raises SignatureWrong, else the body.
  void ReadChecked(BufferedFileStream& stream);
  void WriteRecord(BufferedFileStream& stream) const;
};

class ResourceArchiveHeader final : public ArchiveHeader {
 public:
  std::uint32_t Signature() const override { return kSigArchiveHeader; }
};

class DataBlockHeader final : public ArchiveHeader {
 public:
  static constexpr std::int32_t kSize = 20;
  std::uint32_t BlockCRC = 0;
  std::int32_t CompressedSize = 0;
  std::int32_t FirstIndex = 0;
  std::int32_t SentinelIndex = 0;

  std::uint32_t Signature() const override { return kSigDataBlock; }
  void ReadBody(BufferedFileStream& stream) override;
  void WriteBody(BufferedFileStream& stream) const override;
};

class CentralFileHeader final : public ArchiveHeader {
 public:
  std::uint32_t Reserved = 0;
  std::int32_t FileSize = 0;
  std::int32_t BlockCount = 0;
  std::int32_t DataOffset = 0;
  std::uint32_t FileDateTime = 0;
  std::uint32_t Attributes = 0;
  std::string FolderName;  // keeps its trailing delimiter
  std::string FileName;
  // Not stored in the file.
  std::int32_t Tag = -1;
  std::string Info1 = "?";
  std::string Info2 = "?";
  bool Marked = false;

  std::uint32_t Signature() const override { return kSigCentralFile; }
  void ReadBody(BufferedFileStream& stream) override;
  void WriteBody(BufferedFileStream& stream) const override;
  // Splits a stored path at its last "\" or ":" into FolderName and FileName.
  void SetPath(const std::string& path);
};

class CentralDirEndHeader final : public ArchiveHeader {
 public:
  std::int32_t BlockSize = kWriterBlockSize;
  std::int32_t CentralDirOffset = 0;

  std::uint32_t Signature() const override { return kSigCentralDirEnd; }
  void ReadBody(BufferedFileStream& stream) override;
  void WriteBody(BufferedFileStream& stream) const override;
};

}  // namespace vz::archive
