#pragma once
// Writes a new archive: the header, each file's blocks of 409600 bytes one
// after another, then the central directory and the end record. The archive
// is built as a file being written (a temporary file beside the target) and
// takes the target's name at Commit, so a failed or interrupted run never
// leaves a half archive, and nothing planted at either name is written through.
#include <cstdint>
#include <memory>
#include <string>

#include "archive/ArchiveFile.h"
#include "archive/Compressor.h"
#include "platform/OpenedFile.h"

namespace vz::archive {

struct EntryInfo {
  std::string storedPath;  // folder and name as stored ("\" or ":" delimit folders)
  std::uint32_t dateTime = 0;
  std::uint32_t attributes = 0;
};

class ArchiveWriter {
 public:
  explicit ArchiveWriter(const std::string& archivePath);
  ~ArchiveWriter();  // the archive is discarded unless committed

  // Adds the file's bytes as one entry; throws InOutError when it cannot be read.
  void AddFile(const std::string& sourcePath, const EntryInfo& info);
  void AddData(const std::string& data, const EntryInfo& info);
  // Writes the directory and moves the archive into place.
  void Commit();

 private:
  void WriteBlock(const std::uint8_t* data, std::int32_t n);
  CentralFileHeader& BeginEntry(const EntryInfo& info);

  std::string archivePath_;
  std::unique_ptr<platform::FileBeingWritten> file_;
  std::unique_ptr<ArchiveFile> archive_;
  Compressor compressor_;
};

}  // namespace vz::archive
