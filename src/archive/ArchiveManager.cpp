#include "archive/ArchiveManager.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "archive/ArchiveErrors.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"

namespace vz::archive {

namespace fs = std::filesystem;

namespace {

// The destination file under construction, under a temporary name in the
// destination folder; removed unless it was moved into place.
class TemporaryFileSink final : public BlockSink {
 public:
  // The name is short and fixed in form, so that any name the folder can
  // hold can also be built under it.
  explicit TemporaryFileSink(const std::string& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
      path_ = folder + ".vazeru-part-" + std::to_string(random() % 100000000);
      file_ = std::fopen(path_.c_str(), "wbx");
    }
    if (!file_) throw InOutError("Cannot create a file in " + folder + ": " + std::strerror(errno));
  }
  ~TemporaryFileSink() override {
    if (file_) std::fclose(file_);
    if (!placed_) std::remove(path_.c_str());
  }
  void Write(const std::uint8_t* data, std::int32_t size) override {
    if (size > 0 && std::fwrite(data, 1, static_cast<size_t>(size), file_) != static_cast<size_t>(size))
      throw InOutError("Cannot write " + path_);
  }
  void Close() {
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok) throw InOutError("Cannot write " + path_);
  }
  void PlaceAs(const std::string& target) {
    std::error_code ec;
    fs::rename(path_, target, ec);
    if (ec) throw InOutError("Cannot create " + target + ": " + ec.message());
    placed_ = true;
  }
  const std::string& path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  bool placed_ = false;
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
  archivePath_ = fs::absolute(fs::path(fileName)).lexically_normal().string();
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
  std::error_code ec;
  fs::current_path(archiveFolder_, ec);  // the archive folder becomes the current one
  failedBlocks_ = 0;
  if (platform::FileExists(archivePath_)) {
    archive_ = std::make_unique<ArchiveFile>(archivePath_, true);
  } else {
    if (prompt) {
      auto answer = dialogs_.Ask("Create new archive?",
                                 "The archive file " + archivePath_ + " does not exist. Do you want to create a new file?",
                                 ui::DialogButtons::YesNoCancel);
      if (answer != ui::DialogAnswer::Yes) throw UserCancel("Create new archive cancelled");
    }
    archive_ = std::make_unique<ArchiveFile>(archivePath_, false);
  }
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

void ArchiveManager::WriteToTemporaryAndPlace(const CentralFileHeader& entry, const std::string& path) {
  TemporaryFileSink sink(destFolder_);
  ExpandEntryBlocks(entry, sink);
  sink.Close();
  platform::SetFileDate(sink.path(), entry.FileDateTime);
  platform::SetDosAttributes(sink.path(), entry.Attributes);
  sink.PlaceAs(path);
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
  std::error_code ec;
  if (fs::exists(fs::symlink_status(path, ec))) {
    auto answer = dialogs_.Ask("Warning", "The file " + path + " exists. Do you want to overwrite the file?",
                               ui::DialogButtons::YesNoCancel, ui::DialogIcon::Warning);
    if (answer == ui::DialogAnswer::Cancel) throw UserCancel("Extract operation cancelled");
    if (answer != ui::DialogAnswer::Yes) throw FileNotExtracted("Destination file exists. File not extracted.");
    if (!platform::SetDosAttributes(path, platform::kAttrArchive))
      throw InOutError("Cannot clear dest file attributes");
  }
  ShowStatus("Extracting " + path);
  AddLog("Total number of blocks - " + std::to_string(entry.BlockCount));
  WriteToTemporaryAndPlace(entry, path);
}

std::int32_t ArchiveManager::TestFile(const CentralFileHeader& entry) {
  const std::int32_t before = failedBlocks_;
  AddLog("Total number of blocks - " + std::to_string(entry.BlockCount));
  DiscardSink sink;
  ExpandEntryBlocks(entry, sink);
  return failedBlocks_ - before;
}

}  // namespace vz::archive
