#include "archive/ArchiveFile.h"

#include <algorithm>

#include "archive/ArchiveErrors.h"

namespace vz::archive {

namespace {

unsigned OpenModeFor(bool openExisting) { return openExisting ? (kOpenRead | kShareDenyWrite) : kCreate; }

}  // namespace

void CentralDirectory::LoadCentralDir() {
  entries_.clear();
  if (centralDirOffset_ == -1 && archive_.Size() > 0) {
    archive_.DisableBuffer();
    archive_.SmartSeek(-4, SeekOrigin::FromEnd);
    std::uint8_t b[4] = {0, 0, 0, 0};
    archive_.Read(b, 4);
    centralDirOffset_ = static_cast<std::int32_t>(std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 |
                                                  std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24);
    archive_.EnableBuffer();
  }
  if (centralDirOffset_ < 0) return;
  archive_.DisableBuffer();
  archive_.SmartSeek(centralDirOffset_, SeekOrigin::FromStart);
  archive_.EnableBuffer();
  for (;;) {
    std::uint32_t signature = ReadDWord(archive_);
    if (signature == kSigCentralDirEnd) {
      CentralDirEndHeader end;
      end.ReadBody(archive_);
      blockSize_ = end.BlockSize;
      return;
    }
    if (signature != kSigCentralFile) throw SignatureWrong();
    auto entry = std::make_unique<CentralFileHeader>();
    entry->ReadBody(archive_);
    entries_.push_back(std::move(entry));
  }
}

void CentralDirectory::SaveCentralDir() {
  CentralDirEndHeader end;
  end.BlockSize = kWriterBlockSize;
  end.CentralDirOffset = archive_.GetBufferedPosition();
  for (const auto& entry : entries_) entry->WriteRecord(archive_);
  end.WriteRecord(archive_);
}

ArchiveFile::ArchiveFile(const std::string& fileName, bool openExisting)
    : BitFile(fileName, OpenModeFor(openExisting)) {
  if (openExisting) {
    ResourceArchiveHeader header;
    header.ReadChecked(*this);
    centralDir_ = std::make_unique<CentralDirectory>(*this);
    centralDir_->LoadCentralDir();
    return;
  }
  WriteEmptyArchive(fileName);
}

ArchiveFile::ArchiveFile(platform::OpenedFile& file, const std::string& fileName) : BitFile(file, fileName) {
  WriteEmptyArchive(fileName);
}

void ArchiveFile::WriteEmptyArchive(const std::string& fileName) {
  ResourceArchiveHeader header;
  header.WriteRecord(*this);
  centralDir_ = std::make_unique<CentralDirectory>(*this);
  centralDir_->SaveCentralDir();
  FlushBuffer();
  if (TakeWriteFailure()) throw InOutError("Cannot write archive " + fileName);
  centralDir_->LoadCentralDir();
}

ArchiveFile::~ArchiveFile() { centralDir_.reset(); }

std::int64_t MemberFileSize(const std::string& archivePath, const std::string& fileName) {
  ArchiveFile archive(archivePath, true);
  std::int64_t size = 0;
  for (const auto& entry : archive.CentralDir().Entries())
    if (entry->FileName == fileName) size = std::max<std::int64_t>(size, entry->FileSize);
  return size;
}

}  // namespace vz::archive
