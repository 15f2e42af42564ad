#include "protection/ProcessScan.h"

#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"
#include "platform/FileSystem.h"
#include "protection/DescriptionLink.h"

namespace vz::protection {

ProcessScanner::ProcessScanner(inventory::ProcessList& list, const inventory::FileOriginClassifier& classifier,
                               const inventory::FolderValues& folders, const knowledge::KnowledgeBase& knowledge,
                               AlertModel& alert, log::ShieldLog& log, const ui::Ports& ports,
                               const platform::PathConventions& paths, const platform::Clock& clock)
    : list_(list),
      classifier_(classifier),
      folders_(folders),
      knowledge_(knowledge),
      alert_(alert),
      log_(log),
      ports_(ports),
      clock_(clock),
      paths_(paths) {}

bool ProcessScanner::IsPossibleSpyware(const std::string& path, const std::string& name, std::uint32_t pid,
                                       std::uint64_t startTime, std::string& spywareName, std::string& description,
                                       bool& unreadableRoot) {
  // A process without a path (a protected or kernel process) is never flagged.
  std::string trimmed(knowledge::TrimBlanks(path));
  if (trimmed.empty()) return false;
  // The folder keeps its case here: the rules compare it upper-cased
  // themselves, and the version information is read from the real path.
  std::string folder = paths_.ExcludeTrailingSeparator(paths_.FolderPart(trimmed));

  if (knowledge::TrimBlanks(folders_.ReadSystemRoot()).empty()) {
    log_.WriteShieldLog("Could Not Retrive SystemRoot from Computer : " + folders_.ComputerName() +
                        ". Scaning process Notpossible");
    unreadableRoot = true;
    return false;
  }
  int searchPosition = 1;
  if (!classifier_.ClassifyFileOrigin(searchPosition, folder, name, pid, startTime)) return false;

  const knowledge::TextList& spyware = knowledge_.SpywareList();
  size_t match = knowledge_.FindSpywareName(name, static_cast<size_t>(searchPosition) + 1);
  if (match == 0) return false;
  std::string_view line = spyware[spyware.LineAt(match + 1)];
  spywareName = knowledge::GetField(line, 2) + "   ";
  description = knowledge::GetField(line, 4);
  return true;
}

namespace {
std::string ProcessKey(std::uint32_t pid, std::uint64_t startTime, const std::string& path) {
  return std::to_string(pid) + ":" + std::to_string(startTime) + ":" + path;
}
}  // namespace

void ProcessScanner::Remember(const std::string& key, Verdict verdict) {
  verdicts_[key] = Remembered{verdict, list_.RebuildCount()};
}

void ProcessScanner::ForgetEndedProcesses() {
  if (verdictGeneration_ == list_.RebuildCount()) return;
  verdictGeneration_ = list_.RebuildCount();
  const inventory::ProcessTable& table = list_.Table();
  std::unordered_map<std::string, Remembered> kept;
  for (int i = 0; i < table.RowCount(); ++i) {
    std::string key = ProcessKey(table.IdentifierAt(i), table.Row(i).startTime, table.Row(i).path);
    auto it = verdicts_.find(key);
    if (it != verdicts_.end()) kept.insert(*it);
  }
  // Verdicts the event road gave since this rebuild are about processes the
  // table may not hold yet.
  for (auto& entry : verdicts_)
    if (entry.second.rebuild == verdictGeneration_) kept.insert(entry);
  verdicts_.swap(kept);
}

void ProcessScanner::ScanProcess(const std::string& name, std::uint32_t pid, int position) {
  alert_.showRemoveStartup = false;
  ports_.mainWindow->SetStatusPanel(3, "Scanning New Process : " + platform::FormatTimeOfDay(clock_.Now()));
  ForgetEndedProcesses();
  const inventory::ProcessTable& table = list_.Table();
  std::string path = table.Cell(6, position);
  const std::uint64_t startTime = table.HasRow(position) ? table.Row(position).startTime : 0;
  std::string key = ProcessKey(pid, startTime, path);
  auto known = verdicts_.find(key);
  if (known != verdicts_.end() && known->second.verdict == Verdict::Clean) {
    list_.RememberClean(position, pid);
    return;
  }
  // Alerted the moment it started: the user has seen it once.
  if (known != verdicts_.end() && known->second.verdict == Verdict::AlertedByEvent) return;
  std::string spywareName, description;
  bool unreadableRoot = false;
  bool listed = IsPossibleSpyware(path, name, pid, startTime, spywareName, description, unreadableRoot);
  // A listed name whose file is gone is not reported either.
  if (!listed || !platform::FileExists(path)) {
    list_.RememberClean(position, pid);
    if (!listed && !unreadableRoot && !path.empty()) Remember(key, Verdict::Clean);
    return;
  }
  Remember(key, Verdict::AlertedByRefresh);
  inventory::ProcessIdentity process = table.IdentityAt(position);
  process.name = name;
  // The scan memory is not written: while the process runs at this position
  // it is reported again at every refresh.
  RaiseAlert(process, spywareName, description);
}

void ProcessScanner::ScanStartedProcess(const inventory::ProcessIdentity& process) {
  alert_.showRemoveStartup = false;
  ports_.mainWindow->SetStatusPanel(3, "Scanning New Process : " + platform::FormatTimeOfDay(clock_.Now()));
  ForgetEndedProcesses();
  std::string key = ProcessKey(process.pid, process.startTime, process.path);
  if (verdicts_.count(key)) return;
  std::string spywareName, description;
  bool unreadableRoot = false;
  bool listed = IsPossibleSpyware(process.path, process.name, process.pid, process.startTime, spywareName,
                                  description, unreadableRoot);
  if (!listed || !platform::FileExists(process.path)) {
    if (!listed && !unreadableRoot && !process.path.empty()) Remember(key, Verdict::Clean);
    return;
  }
  // Remembered before the alert shows: the refresh may run while it is open.
  Remember(key, Verdict::AlertedByEvent);
  RaiseAlert(process, spywareName, description);
}

void ProcessScanner::ReportBlocked(const std::string& entryName, const std::string& path, std::uint32_t pid) {
  const std::string name = path.substr(paths_.FolderPart(path).size());
  log_.WriteShieldLog("Blocked : " + entryName + " (" + path + ")", log::Finding{entryName, path, pid, "blocked"});
  std::string description;
  size_t match = knowledge_.FindSpywareName(name, 2);
  if (match != 0) {
    const knowledge::TextList& spyware = knowledge_.SpywareList();
    description = knowledge::GetField(spyware[spyware.LineAt(match + 1)], 4);
  }
  alert_.alertFromStartup = false;
  alert_.showRemoveStartup = false;
  alert_.blockedStart = true;
  AlertFields& fields = alert_.Fields();
  fields.title = kBlockedAlertTitle;
  fields.nameLine = entryName + "    (" + name + ")";
  fields.location = path;
  fields.identifier.clear();
  fields.process = inventory::ProcessIdentity{};
  LinkAndRest split = SplitProcessDescriptionLink(description);
  fields.link = split.link;
  fields.description = split.rest;
  alert_.ShowAlert();
}

void ProcessScanner::RaiseAlert(const inventory::ProcessIdentity& process, const std::string& spywareName,
                                const std::string& description) {
  // The finding's fields name the entry without the blanks that pad it in the texts.
  const std::string entryName = spywareName.substr(0, spywareName.find_last_not_of(' ') + 1);
  log_.WriteShieldLog("Possible Spyware found : " + spywareName + " (" + process.name + ")",
                      log::Finding{entryName, process.path, process.pid, "alert"});
  alert_.alertFromStartup = false;
  AlertFields& fields = alert_.Fields();
  fields.title = kMemoryAlertTitle;
  fields.nameLine = spywareName + " (" + process.name + ")";
  fields.location = process.path;
  fields.identifier = std::to_string(process.pid);
  fields.process = process;
  LinkAndRest split = SplitProcessDescriptionLink(description);
  fields.link = split.link;
  fields.description = split.rest;
  alert_.ShowAlert();
}

}  // namespace vz::protection
