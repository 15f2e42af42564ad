#pragma once
// The scan of the startup entries: each entry's program is classified like a
// new process's and, unless recognised, its file name is looked up between
// TABs in the spyware list; a hit raises the alert in its startup form. The
// watch of the main cycle scans every entry when the set of names changed.
#include <string>

#include "inventory/FileOrigin.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/Clock.h"
#include "protection/AlertModel.h"
#include "startup/StartupList.h"
#include "ui/Ports.h"

namespace vz::startup {

inline constexpr const char* kScanFinishedCaption = "Scan";
inline constexpr const char* kScanFinishedText = "Scan of Startup Programs Finished";

class StartupScanner {
 public:
  StartupScanner(StartupList& list, const inventory::FileOriginClassifier& classifier,
                 const knowledge::KnowledgeBase& knowledge, protection::AlertModel& alert, const ui::Ports& ports,
                 const platform::Clock& clock = platform::SystemClock());

  // One step of the main cycle: rereads the entries and scans them all when
  // their names differ from those of the last watch scan.
  void WatchStep();
  // Scans the program of every row in order, then refreshes the list.
  void ScanAllStartupEntries();
  // Scans one program path belonging to list row `row`; true on a finding
  // (the alert has been shown and closed, or shown again).
  bool ScanStartupEntry(const std::string& path, int row);

  // "Check startup programs": the full scan, then the closing box.
  void CheckStartupPrograms();
  // "Check this item": the selected row's command, prepared as the full scan
  // prepares it (so a quoted command with arguments is found too).
  void CheckThisItem();

 private:
  StartupList& list_;
  const inventory::FileOriginClassifier& classifier_;
  const knowledge::KnowledgeBase& knowledge_;
  protection::AlertModel& alert_;
  ui::Ports ports_;
  const platform::Clock& clock_;
};

}  // namespace vz::startup
