#pragma once
// The open archive (a bit file) and its central directory: the entry records
// in file order, found through the offset in the file's last four bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveRecords.h"
#include "archive/BitFile.h"

namespace vz::archive {

class ArchiveFile;

class CentralDirectory {
 public:
  explicit CentralDirectory(ArchiveFile& archive) : archive_(archive) {}

  void LoadCentralDir();
  // Writes the entries and the end record at the archive's current position.
  void SaveCentralDir();

  std::vector<std::unique_ptr<CentralFileHeader>>& Entries() { return entries_; }
  const std::vector<std::unique_ptr<CentralFileHeader>>& Entries() const { return entries_; }
  std::int32_t CentralDirOffset() const { return centralDirOffset_; }
  std::int32_t BlockSize() const { return blockSize_; }

 private:
  ArchiveFile& archive_;
  std::vector<std::unique_ptr<CentralFileHeader>> entries_;
  std::int32_t centralDirOffset_ = -1;
  std::int32_t blockSize_ = 0;
};

class ArchiveFile : public BitFile {
 public:
  // openExisting: read the header and directory of an archive; otherwise
  // create a new, empty archive (16 bytes) and read it back.
  ArchiveFile(const std::string& fileName, bool openExisting);
  // A new, empty archive written into a file opened elsewhere (which must
  // outlive it); fileName names it in messages.
  ArchiveFile(platform::OpenedFile& file, const std::string& fileName);
  ~ArchiveFile() override;

  CentralDirectory& CentralDir() { return *centralDir_; }

 private:
  void WriteEmptyArchive(const std::string& fileName);

  std::unique_ptr<CentralDirectory> centralDir_;
};

// The size of the largest member named fileName (exactly) in the directory of
// an archive, 0 when there is none. Throws ArchiveError as opening does.
std::int64_t MemberFileSize(const std::string& archivePath, const std::string& fileName);

}  // namespace vz::archive
