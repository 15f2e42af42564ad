#pragma once
// The extraction component the host window owns ("Resource1"): one call
// unpacks an archive, or one named file of it, into a folder.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveManager.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"

namespace vz::archive {

struct ExtractionSummary {
  bool archiveFound = false;
  std::int32_t filesExtracted = 0;
  std::int32_t bytesExtracted = 0;
  std::int32_t failedBlocks = 0;  // blocks whose CRC did not match
};

class ArchiveExtraction {
 public:
  explicit ArchiveExtraction(ui::Dialogs& dialogs, ui::EventPump* events = nullptr);

  // Busy (hourglass) cursor on and off around an extraction; no-op when unset.
  std::function<void(bool busy)> onBusyCursor;
  // Forwarded to the manager, which fires them with itself as sender.
  void SetOnAddLog(std::function<void(ArchiveManager&, const std::string&)> handler);
  void SetOnCentralDirChange(std::function<void(ArchiveManager&)> handler);

  // Extracts every file of the archive (fileName empty) or the first entry
  // named fileName (ASCII case ignored) into destFolder. Reports by message
  // boxes; the archive exceptions pass to the caller after the archive was
  // closed and the cursor reset.
  ExtractionSummary DecompressFromArchive(const std::string& archiveFileName, const std::string& destFolder,
                                          const std::string& fileName);

  ArchiveManager& Manager() { return manager_; }
  // The files the last call put in place (also when it then raised).
  const std::vector<std::string>& PlacedFiles() const { return placed_; }

 private:
  ui::Dialogs& dialogs_;
  ArchiveManager manager_;
  std::vector<std::string> placed_;
};

}  // namespace vz::archive
