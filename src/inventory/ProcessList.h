#pragma once
// What runs: the cheap change test over the joined process names, the full
// rebuild of the visible process list and the hidden process table, and the
// hand-over of every process whose identity changed at its list position to
// the new-process scan.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inventory/ProcessTable.h"
#include "platform/Clock.h"
#include "platform/Processes.h"
#include "ui/MainWindowView.h"
#include "ui/Timer.h"

namespace vz::inventory {

// One process as the rebuild found it.
struct ProcessRecord {
  std::uint32_t pid = 0;
  std::string name;
  std::string priority;
  std::string path;
  bool opened = false;  // false: listed through the snapshot, without a path
  std::uint64_t startTime = 0;
};

struct BuiltProcessList {
  std::vector<ProcessRecord> records;
};

class ProcessList {
 public:
  // Called for each list position whose identifier differs from its scan
  // memory slot: (name, identifier, position).
  using ScanFunction = std::function<void(const std::string&, std::uint32_t, int)>;

  ProcessList(platform::ProcessPlatform& processes, ui::MainWindowView& view,
              const platform::Clock& clock = platform::SystemClock());

  // Builds the current signature and compares it with the previous one; on a
  // difference counts the change, keeps the new signature and returns true.
  bool SnapshotChanged();
  BuiltProcessList BuildProcessList();
  // The full refresh and scan (returns at once when nothing changed and no
  // refresh is forced).
  void RefreshProcessList();

  // Empties both signatures, so that the next test reports a change.
  void ResetSignatures();
  void SetForceRefresh(bool force) { forceRefresh_ = force; }
  bool ForceRefresh() const { return forceRefresh_; }
  std::uint32_t ProcessChangeCount() const { return changeCount_; }
  // How many times the list was rebuilt; tells one refresh from the next.
  std::uint64_t RebuildCount() const { return rebuildCount_; }

  // Scan memory: the identifier last found clean per list position. The
  // program path is kept with it, so that a process that replaced its program
  // (exec keeps the identifier) is scanned again.
  void ResetScanMemory();
  std::uint32_t ScanMemoryAt(int position) const;
  void RememberClean(int position, std::uint32_t pid);

  const ProcessTable& Table() const { return table_; }
  const std::vector<std::string>& Names() const { return names_; }

  // The selected line of the process list (-1: none), owned here, shown by the
  // view. The selection belongs to the process, not to the row: a rebuild
  // moves it to that process's new row, or drops it when the process ended.
  int Selected() const { return selected_; }
  void Select(int position);
  // The selected process as the table names it now; nullopt without a selection.
  std::optional<ProcessIdentity> SelectedIdentity() const;

  void SetScanFunction(ScanFunction scan) { scan_ = std::move(scan); }
  // The main cycle's timer, stopped around the scan loop.
  void SetMainTimer(ui::Timer* timer) { mainTimer_ = timer; }
  // Called after each rebuild (front ends that print the list use it).
  void SetOnRebuilt(std::function<void(const ProcessTable&)> onRebuilt) { onRebuilt_ = std::move(onRebuilt); }
  // Called after a rebuild that had a selection: it now names the same
  // process on its new row, or nothing (what shows the selection follows it).
  void SetOnSelectionRebuilt(std::function<void()> onSelectionRebuilt) {
    onSelectionRebuilt_ = std::move(onSelectionRebuilt);
  }

 private:
  void FillTable(const BuiltProcessList& built);
  void ScanChangedPositions();

  platform::ProcessPlatform& processes_;
  ui::MainWindowView& view_;
  const platform::Clock& clock_;
  std::string currentSignature_;
  std::string previousSignature_;
  std::uint32_t changeCount_ = 0;
  std::uint64_t rebuildCount_ = 0;
  bool forceRefresh_ = false;
  ProcessTable table_;
  std::vector<std::string> names_;
  struct ScanSlot {
    std::uint32_t pid = kNoProcess;
    std::string path;
  };
  std::vector<ScanSlot> scanMemory_;
  int selected_ = -1;
  ProcessIdentity selectedProcess_;
  ScanFunction scan_;
  ui::Timer* mainTimer_ = nullptr;
  std::function<void(const ProcessTable&)> onRebuilt_;
  std::function<void()> onSelectionRebuilt_;
};

}  // namespace vz::inventory
