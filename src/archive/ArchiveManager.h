#pragma once
// Opens an archive, extracts its entries block by block, asks before
// overwriting existing files, and gives extracted files their stored date,
// time and attributes. Progress, status and log lines go out through events.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveFile.h"
#include "archive/BlockExpander.h"
#include "archive/ParallelExpander.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"

namespace vz::archive {

// Caption of the plain messages ("CRC does not match!", "Error: No files extracted").
inline constexpr const char* kMessageCaption = "Orvane Vazeru";

class ArchiveManager {
 public:
  explicit ArchiveManager(ui::Dialogs& dialogs);
  virtual ~ArchiveManager();

  std::function<void(ArchiveManager&)> OnCentralDirChange;
  std::function<void(ArchiveManager&, std::int32_t)> OnShowProgress;
  std::function<void(ArchiveManager&, const std::string&)> OnShowStatus;
  std::function<void(ArchiveManager&, const std::string&)> OnAddLog;
  // Lets pending window messages run after each block (none when null).
  ui::EventPump* eventPump = nullptr;

  // Opens (or, after asking when prompt is set, creates) the archive; may
  // raise UserCancel, SignatureWrong, InOutError.
  void OpenArchive(const std::string& fileName, bool prompt);
  void CloseArchive();
  bool IsArchiveOpen() const { return archive_ != nullptr; }
  ArchiveFile* Archive() { return archive_.get(); }

  void ExtractList(const std::vector<const CentralFileHeader*>& entries, std::int32_t& files, std::int32_t& bytes);
  // Extracts one entry into DestFolder; may raise FileNotExtracted,
  // UserCancel, InOutError, SignatureWrong, BlockDamaged, SeekError.
  void ExtractFile(const CentralFileHeader& entry);
  // Expands every block of the entry and checks its CRCs, writing nothing.
  // Returns the number of blocks whose CRC did not match.
  std::int32_t TestFile(const CentralFileHeader& entry);

  virtual void ShowProgress(std::int32_t percent);
  virtual void ShowStatus(const std::string& text);
  virtual void AddLog(const std::string& text);

  void SetDestFolder(const std::string& folder);
  const std::string& DestFolder() const { return destFolder_; }
  const std::string& ArchivePath() const { return archivePath_; }
  const std::string& ArchiveFolder() const { return archiveFolder_; }
  const std::string& ArchiveFileName() const { return archiveFileName_; }

  // Threads that expand blocks; 1 expands on the calling thread only.
  void SetWorkerThreads(int threads);
  int WorkerThreads() const { return workerThreads_; }
  // Blocks whose CRC did not match since the archive was opened.
  std::int32_t FailedBlocks() const { return failedBlocks_; }
  // The files extracted and put in place since the archive was opened. A file
  // is put in place whole or not at all.
  const std::vector<std::string>& PlacedFiles() const { return placedFiles_; }

 private:
  void ExpandEntryBlocks(const CentralFileHeader& entry, BlockSink& sink);
  void AfterBlock(std::int32_t block, std::int32_t blockCount, bool ok);
  // Writes the entry as a new file that takes the path's name once complete.
  void WriteAndPlace(const CentralFileHeader& entry, const std::string& path);

  ui::Dialogs& dialogs_;
  BlockExpander expander_;
  std::unique_ptr<ArchiveFile> archive_;
  std::unique_ptr<ParallelExpander> parallel_;
  std::string archiveFolder_;
  std::string archiveFileName_;
  std::string archivePath_;
  std::string destFolder_;
  int workerThreads_ = 1;
  std::int32_t failedBlocks_ = 0;
  std::vector<std::string> placedFiles_;
};

// True when a stored FileName can only name a file directly inside the destination folder.
bool IsPlainFileName(const std::string& name);

}  // namespace vz::archive
