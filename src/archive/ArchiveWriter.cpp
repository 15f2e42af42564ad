#include "archive/ArchiveWriter.h"

#include <limits>
#include <vector>

#include "archive/ArchiveErrors.h"

namespace vz::archive {

ArchiveWriter::ArchiveWriter(const std::string& archivePath) : archivePath_(archivePath) {
  platform::FileStatus status;
  file_ = platform::BeginFileWrite(archivePath, status);
  if (!file_) throw InOutError("Cannot create archive " + status.text);
  archive_ = std::make_unique<ArchiveFile>(*file_, archivePath);
  archive_->SmartSeek(archive_->CentralDir().CentralDirOffset(), SeekOrigin::FromStart);
}

ArchiveWriter::~ArchiveWriter() {
  // The stream goes first: it writes into the file, which is then discarded.
  archive_.reset();
}

CentralFileHeader& ArchiveWriter::BeginEntry(const EntryInfo& info) {
  auto entry = std::make_unique<CentralFileHeader>();
  entry->SetPath(info.storedPath);
  entry->FileDateTime = info.dateTime;
  entry->Attributes = info.attributes;
  entry->DataOffset = archive_->GetBufferedPosition();
  auto& entries = archive_->CentralDir().Entries();
  entries.push_back(std::move(entry));
  return *entries.back();
}

void ArchiveWriter::WriteBlock(const std::uint8_t* data, std::int32_t n) {
  CompressedBlock block = compressor_.CompressBlock(data, n);
  block.header.WriteRecord(*archive_);
  archive_->WriteBytes(block.payload.data(), static_cast<std::int32_t>(block.payload.size()));
  if (archive_->GetBufferedPosition() < 0) throw InOutError("Archive too large: " + archivePath_);
}

void ArchiveWriter::AddFile(const std::string& sourcePath, const EntryInfo& info) {
  platform::FileStatus status;
  auto in = platform::OpenExistingFile(sourcePath, platform::FileAccess::Read, platform::LinkPolicy::Follow, status);
  if (!in) throw InOutError("Cannot read " + status.text);
  CentralFileHeader& entry = BeginEntry(info);
  std::vector<std::uint8_t> chunk(kWriterBlockSize);
  std::int64_t total = 0;
  for (;;) {
    std::int64_t got = in->Read(chunk.data(), static_cast<std::int64_t>(chunk.size()));
    if (got < 0) throw InOutError("Cannot read " + sourcePath);
    if (got == 0) break;
    total += got;
    if (total > std::numeric_limits<std::int32_t>::max()) throw InOutError("File too large for an archive: " + sourcePath);
    WriteBlock(chunk.data(), static_cast<std::int32_t>(got));
    ++entry.BlockCount;
  }
  entry.FileSize = static_cast<std::int32_t>(total);
}

void ArchiveWriter::AddData(const std::string& data, const EntryInfo& info) {
  if (data.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
    throw InOutError("Data too large for an archive");
  CentralFileHeader& entry = BeginEntry(info);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  for (size_t at = 0; at < data.size(); at += kWriterBlockSize) {
    size_t n = std::min(data.size() - at, static_cast<size_t>(kWriterBlockSize));
    WriteBlock(bytes + at, static_cast<std::int32_t>(n));
    ++entry.BlockCount;
  }
  entry.FileSize = static_cast<std::int32_t>(data.size());
}

void ArchiveWriter::Commit() {
  archive_->CentralDir().SaveCentralDir();
  archive_->FlushBuffer();
  bool failed = archive_->TakeWriteFailure();
  archive_.reset();
  if (failed) throw InOutError("Cannot write archive " + archivePath_);
  if (platform::FileStatus status = file_->Commit(); !status) throw InOutError("Cannot write archive " + status.text);
}

}  // namespace vz::archive
