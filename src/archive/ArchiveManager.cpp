#include "archive/ArchiveManager.h"

#include <algorithm>

#include "archive/ArchiveErrors.h"
#include "archive/ArchiveWriter.h"
#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"

namespace vz::archive {

namespace {

// Expanded blocks go straight into the file being written.
class FileSink final : public BlockSink {
 public:
  explicit FileSink(platform::FileBeingWritten& file) : file_(file) {}
  void Write(const std::uint8_t* data, std::int32_t size) override {
    if (size > 0 && !file_.Write(data, size)) throw InOutError("Cannot write " + file_.Path());
  }

 private:
  platform::FileBeingWritten& file_;
};

class DiscardSink final : public BlockSink {
 public:
  void Write(const std::uint8_t*, std::int32_t) override {}
};

}  // namespace

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

ArchiveManager::ArchiveManager(ui::Dialogs& dialogs) : dialogs_(dialogs) {
  expander_.onMessage = [this](const std::string& text) { dialogs_.Inform(kMessageCaption, text); };
}

ArchiveManager::~ArchiveManager() = default;

void ArchiveManager::SetWorkerThreads(int threads) {
  threads = std::max(1, std::min(threads, 16));
  if (threads != workerThreads_) parallel_.reset();
  workerThreads_ = threads;
}

void ArchiveManager::SetDestFolder(const std::string& folder) { destFolder_ = platform::IncludeTrailingSeparator(folder); }

void ArchiveManager::ShowProgress(std::int32_t percent) {
  if (OnShowProgress) OnShowProgress(*this, percent);
}

void ArchiveManager::ShowStatus(const std::string& text) {
  if (!text.empty()) AddLog(text);
  if (OnShowStatus) OnShowStatus(*this, text);
}

void ArchiveManager::AddLog(const std::string& text) {
  if (OnAddLog) OnAddLog(*this, "ArchiveMan: " + text);
}

void ArchiveManager::OpenArchive(const std::string& fileName, bool prompt) {
  if (archive_) CloseArchive();
  archivePath_ = platform::AbsolutePath(fileName);
  archiveFolder_ = platform::FolderPart(archivePath_);
  archiveFileName_ = platform::NamePart(archivePath_);
  if (archiveFileName_.find('.') == std::string::npos) {
    archivePath_ += ".";
    archiveFileName_ += ".";
  }
  if (!archiveFileName_.empty() && archiveFileName_.back() == '.') {
    archivePath_ += "tq";
    archiveFileName_ += "tq";
  }
  // The process's working folder is left alone: every path here is absolute.
  failedBlocks_ = 0;
  placedFiles_.clear();
  if (!platform::FileExists(archivePath_)) {
    if (prompt) {
      auto answer = dialogs_.Ask("Create new archive?",
                                 "The archive file " + archivePath_ + " does not exist. Do you want to create a new file?",
                                 ui::DialogButtons::YesNoCancel);
      if (answer != ui::DialogAnswer::Yes) throw UserCancel("Create new archive cancelled");
    }
    ArchiveWriter(archivePath_).Commit();  // a new, empty archive
  }
  archive_ = std::make_unique<ArchiveFile>(archivePath_, true);
  if (OnCentralDirChange) OnCentralDirChange(*this);
  AddLog("Archive Opened - " + archivePath_);
  AddLog("CentralDir Loaded");
}

void ArchiveManager::CloseArchive() {
  archive_.reset();
  // The block buffers of the worker threads are only kept while an archive is open.
  parallel_.reset();
  AddLog("Archive Closed - " + archivePath_);
}

void ArchiveManager::ExtractList(const std::vector<const CentralFileHeader*>& entries, std::int32_t& files,
                                  std::int32_t& bytes) {
  files = 0;
  bytes = 0;
  for (const CentralFileHeader* entry : entries) {
    try {
      ExtractFile(*entry);
    } catch (const FileNotExtracted&) {
      continue;
    }
    files += 1;
    bytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes) + static_cast<std::uint32_t>(entry->FileSize));
  }
}

void ArchiveManager::AfterBlock(std::int32_t block, std::int32_t blockCount, bool ok) {
  if (ok) {
    AddLog("Block " + std::to_string(block) + " Expand and CRC32 Check OK.");
  } else {
    ++failedBlocks_;
    AddLog("Block " + std::to_string(block) + " Expand Error.");
  }
  ShowProgress(static_cast<std::int32_t>((std::int64_t{block + 1} * 100) / blockCount));
  if (eventPump) eventPump->ProcessPendingEvents();
}

void ArchiveManager::ExpandEntryBlocks(const CentralFileHeader& entry, BlockSink& sink) {
  if (!archive_) throw InOutError("No archive is open");
  const std::int32_t count = entry.BlockCount;
  archive_->SmartSeek(entry.DataOffset, SeekOrigin::FromStart);
  std::int32_t b = 0;
  if (workerThreads_ > 1 && count > 1) {
    if (!parallel_) parallel_ = std::make_unique<ParallelExpander>(workerThreads_);
    b = parallel_->Run(*archive_, count, [&](std::int32_t block, const ExpandedBlock& result) {
      if (!result.crcOk) dialogs_.Inform(kMessageCaption, kCrcMismatchMessage);
      sink.Write(result.data, result.length);
      AfterBlock(block, count, result.crcOk);
    });
  }
  for (; b < count; ++b) {
    expander_.ExpandBlock(*archive_, sink);
    AfterBlock(b, count, expander_.BlockOK());
  }
}

void ArchiveManager::WriteAndPlace(const CentralFileHeader& entry, const std::string& path) {
  platform::FileStatus status;
  // Like any unpacker's output (and the start-up load reads and deletes its
  // members at once) the file is not flushed to the disk: a crash of the
  // program still leaves the old file or the whole new one.
  platform::WriteOptions options;
  options.flushToDisk = false;
  auto file = platform::BeginFileWrite(path, status, options);
  if (!file) throw InOutError("Cannot create " + status.text);
  FileSink sink(*file);
  ExpandEntryBlocks(entry, sink);
  // Date and attributes go onto the new file itself before it takes the name:
  // whatever held the name (a link too) is replaced, never changed.
  file->SetDate(entry.FileDateTime);
  file->SetDosAttributes(entry.Attributes);
  if (platform::FileStatus placed = file->Commit(); !placed) throw InOutError("Cannot create " + placed.text);
  placedFiles_.push_back(path);
}

void ArchiveManager::ExtractFile(const CentralFileHeader& entry) {
  ShowProgress(0);
  ShowStatus("");
  if (!IsPlainFileName(entry.FileName)) {
    std::string message = "The entry \"" + entry.FolderName + entry.FileName +
                          "\" does not name a plain file. File not extracted.";
    AddLog(message);
    dialogs_.Error("Error", message);
    throw FileNotExtracted(message);
  }
  const std::string path = destFolder_ + entry.FileName;
  // Anything at the name counts, a link that leads nowhere included. After
  // Yes the new file replaces it whole, so the old one's attributes (which
  // could only be reached through the name) need no clearing.
  if (platform::EntryExists(path)) {
    auto answer = dialogs_.Ask("Warning", "The file " + path + " exists. Do you want to overwrite the file?",
                               ui::DialogButtons::YesNoCancel, ui::DialogIcon::Warning);
    if (answer == ui::DialogAnswer::Cancel) throw UserCancel("Extract operation cancelled");
    if (answer != ui::DialogAnswer::Yes) throw FileNotExtracted("Destination file exists. File not extracted.");
  }
  ShowStatus("Extracting " + path);
  AddLog("Total number of blocks - " + std::to_string(entry.BlockCount));
  WriteAndPlace(entry, path);
}

std::int32_t ArchiveManager::TestFile(const CentralFileHeader& entry) {
  const std::int32_t before = failedBlocks_;
  AddLog("Total number of blocks - " + std::to_string(entry.BlockCount));
  DiscardSink sink;
  ExpandEntryBlocks(entry, sink);
  return failedBlocks_ - before;
}

}  // namespace vz::archive
