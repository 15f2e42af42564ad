#include "inventory/ProcessList.h"

#include <unordered_map>

namespace vz::inventory {

ProcessList::ProcessList(platform::ProcessPlatform& processes, ui::MainWindowView& view,
                         const platform::Clock& clock)
    : processes_(processes), view_(view), clock_(clock) {
  currentSignature_.reserve(16384);
  previousSignature_.reserve(16384);
}

bool ProcessList::SnapshotChanged() {
  currentSignature_.clear();
  processes_.AppendSnapshotSignature(currentSignature_);
  if (currentSignature_ == previousSignature_) return false;
  ++changeCount_;
  previousSignature_.swap(currentSignature_);
  return true;
}

void ProcessList::ResetSignatures() {
  currentSignature_.clear();
  previousSignature_.clear();
}

BuiltProcessList ProcessList::BuildProcessList() {
  BuiltProcessList built;
  std::vector<platform::Pid> pids = processes_.EnumerateProcessIds();
  built.records.reserve(pids.size());
  // The snapshot is taken once, and only if some process cannot be opened.
  std::unordered_map<platform::Pid, platform::SnapshotEntry> snapshot;
  bool snapshotTaken = false;
  for (platform::Pid pid : pids) {
    ProcessRecord record;
    record.pid = pid;
    if (auto opened = processes_.OpenProcess(pid)) {
      record.opened = true;
      record.name = opened->baseName;
      record.priority = platform::PriorityClassName(opened->priority);
      record.path = opened->fullPath;
      record.startTime = opened->startTime;
    } else {
      if (!snapshotTaken) {
        for (auto& entry : processes_.Snapshot()) snapshot.emplace(entry.pid, std::move(entry));
        snapshotTaken = true;
      }
      // A process that ended meanwhile has no entry: empty name and priority.
      auto it = snapshot.find(pid);
      if (it != snapshot.end()) {
        record.name = it->second.name;
        record.priority = platform::BasePriorityName(it->second.basePriority);
        record.startTime = it->second.startTime;
      }
    }
    built.records.push_back(std::move(record));
  }
  return built;
}

void ProcessList::Select(int position) {
  selected_ = (position >= 0 && position < static_cast<int>(names_.size())) ? position : -1;
  selectedProcess_ = table_.IdentityAt(selected_);
}

std::optional<ProcessIdentity> ProcessList::SelectedIdentity() const {
  if (selected_ < 0) return std::nullopt;
  return table_.IdentityAt(selected_);
}

void ProcessList::FillTable(const BuiltProcessList& built) {
  std::vector<ProcessRow> rows;
  rows.reserve(built.records.size());
  names_.clear();
  names_.reserve(built.records.size());
  // The rows are filled from the records' fields, not by splitting their text
  // at ";": a Linux path may itself contain ";".
  for (const auto& r : built.records) {
    rows.push_back(ProcessRow{r.name, std::to_string(r.pid), r.priority, r.opened ? r.path : std::string(), r.startTime});
    names_.push_back(r.name);
  }
  table_.Assign(std::move(rows));
}

void ProcessList::RefreshProcessList() {
  bool changed = SnapshotChanged();
  if (!changed && !forceRefresh_) return;
  forceRefresh_ = false;
  ++rebuildCount_;
  bool hadSelection = selected_ >= 0;
  BuiltProcessList built = BuildProcessList();
  view_.SetStatusPanel(3, platform::FormatTimeOfDay(clock_.Now()) + " Processes list updated");
  table_.Clear();
  FillTable(built);
  // The selection stays with its process: another process on the same row is
  // not what the user chose.
  Select(hadSelection ? table_.RowOf(selectedProcess_) : -1);
  view_.SetProcessList(names_, selected_);
  if (onRebuilt_) onRebuilt_(table_);
  if (hadSelection && onSelectionRebuilt_) onSelectionRebuilt_();
  ScanChangedPositions();
  view_.SetStatusPanel(0, "Processes : " + std::to_string(names_.size()));
}

void ProcessList::ScanChangedPositions() {
  // No tick may run while processes are scanned: an alert may open modally.
  // Whatever happens in a scan, the timer runs again afterwards.
  struct TimerPause {
    ui::Timer* timer;
    explicit TimerPause(ui::Timer* t) : timer(t) {
      if (timer) timer->Stop();
    }
    ~TimerPause() {
      if (timer) timer->Start();
    }
  } pause(mainTimer_);
  if (scanMemory_.size() < names_.size()) scanMemory_.resize(names_.size());
  for (int i = 0; i < table_.RowCount(); ++i) {
    std::uint32_t pid = table_.IdentifierAt(i);
    const ScanSlot& slot = scanMemory_[static_cast<size_t>(i)];
    bool known = pid == slot.pid && table_.Row(i).path == slot.path;
    if (!known && scan_) scan_(table_.Row(i).name, pid, i);
  }
}

void ProcessList::ResetScanMemory() { scanMemory_.assign(scanMemory_.size(), ScanSlot{}); }

std::uint32_t ProcessList::ScanMemoryAt(int position) const {
  if (position < 0 || static_cast<size_t>(position) >= scanMemory_.size()) return kNoProcess;
  return scanMemory_[static_cast<size_t>(position)].pid;
}

void ProcessList::RememberClean(int position, std::uint32_t pid) {
  if (position < 0) return;
  if (static_cast<size_t>(position) >= scanMemory_.size()) scanMemory_.resize(static_cast<size_t>(position) + 1);
  ScanSlot& slot = scanMemory_[static_cast<size_t>(position)];
  slot.pid = pid;
  slot.path = table_.HasRow(position) && table_.IdentifierAt(position) == pid ? table_.Row(position).path : std::string();
}

}  // namespace vz::inventory
