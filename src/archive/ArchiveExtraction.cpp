#include "archive/ArchiveExtraction.h"

#include <thread>

#include "platform/FileSystem.h"
#include "platform/PlainText.h"

namespace vz::archive {

ArchiveExtraction::ArchiveExtraction(ui::Dialogs& dialogs, ui::EventPump* events) : dialogs_(dialogs), manager_(dialogs) {
  manager_.eventPump = events;
  manager_.SetWorkerThreads(std::thread::hardware_concurrency() > 1 ? 2 : 1);
}

void ArchiveExtraction::SetOnAddLog(std::function<void(ArchiveManager&, const std::string&)> handler) {
  manager_.OnAddLog = std::move(handler);
}

void ArchiveExtraction::SetOnCentralDirChange(std::function<void(ArchiveManager&)> handler) {
  manager_.OnCentralDirChange = std::move(handler);
}

ExtractionSummary ArchiveExtraction::DecompressFromArchive(const std::string& archiveFileName, const std::string& destFolder,
                                                   const std::string& fileName) {
  ExtractionSummary summary;
  placed_.clear();
  if (!platform::FileExists(archiveFileName)) {
    dialogs_.Error("Error", "Tessera.DecompressFromArchive: Archive file does not exist.");
    return summary;
  }
  summary.archiveFound = true;
  // The destination as a full path, for the messages that name its files.
  const std::string destination = platform::AbsolutePath(destFolder);
  manager_.OpenArchive(archiveFileName, true);
  if (onBusyCursor) onBusyCursor(true);
  struct CleanUp {
    ArchiveExtraction& self;
    ~CleanUp() {
      self.placed_ = self.manager_.PlacedFiles();
      if (self.manager_.IsArchiveOpen()) self.manager_.CloseArchive();
      if (self.onBusyCursor) self.onBusyCursor(false);
    }
  } cleanUp{*this};

  manager_.SetDestFolder(destination);
  std::vector<const CentralFileHeader*> list;
  for (const auto& entry : manager_.Archive()->CentralDir().Entries()) {
    if (fileName.empty()) {
      list.push_back(entry.get());
    } else if (platform::SameTextAscii(entry->FileName, fileName)) {
      list.push_back(entry.get());
      break;
    }
  }
  manager_.ExtractList(list, summary.filesExtracted, summary.bytesExtracted);
  summary.failedBlocks = manager_.FailedBlocks();
  if (summary.filesExtracted == 0) dialogs_.Inform(kMessageCaption, "Error: No files extracted");
  return summary;
}

}  // namespace vz::archive
