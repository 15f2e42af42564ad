#include "startup/StartupScanner.h"

#include "knowledge/TextFields.h"
#include "protection/DescriptionLink.h"
#include "startup/StartupCommand.h"

namespace vz::startup {

StartupScanner::StartupScanner(StartupList& list, const inventory::FileOriginClassifier& classifier,
                               const knowledge::KnowledgeBase& knowledge, protection::AlertModel& alert,
                               const ui::Ports& ports, const platform::Clock& clock)
    : list_(list), classifier_(classifier), knowledge_(knowledge), alert_(alert), ports_(ports), clock_(clock) {}

void StartupScanner::WatchStep() {
  list_.fingerprint = list_.EnumerateStartupEntries();
  if (list_.fingerprint == list_.scannedFingerprint) return;
  list_.scannedFingerprint = list_.fingerprint;
  ScanAllStartupEntries();
}

void StartupScanner::ScanAllStartupEntries() {
  // The row count is read each time: an alert's actions run in between.
  for (int row = 0; row < list_.RowCount(); ++row) {
    const std::string command = list_.Cell(1, row);
    // An entry without a command (a value that is not text) has nothing to scan.
    if (knowledge::IsBlank(command)) continue;
    const std::string path = ProgramPathOfCommand(command);
    ports_.mainWindow->SetStatusPanel(2, "Scan Startup item  " + path);
    list_.SelectRow(row);
    ScanStartupEntry(path, row);
  }
  list_.RefreshStartupList();
}

bool StartupScanner::ScanStartupEntry(const std::string& path, int row) {
  alert_.showRemoveStartup = true;
  ports_.mainWindow->SetStatusPanel(3, "Scan Startup : " + path + " At " + platform::FormatTimeOfDay(clock_.Now()));
  const std::string name = CommandNamePart(path);
  if (knowledge::IsBlank(name)) return false;
  // A command without a folder is never looked up.
  if (knowledge::IsBlank(path) || !HasFolder(path)) return false;

  const std::string trimmed(knowledge::TrimBlanks(path));
  std::string folder = CommandFolderPart(trimmed);
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  int searchPosition = 1;
  if (!classifier_.ClassifyFileOrigin(searchPosition, folder, name)) return false;

  const knowledge::TextList& spyware = knowledge_.SpywareList();
  const std::size_t match = knowledge_.FindSpywareName(name, static_cast<std::size_t>(searchPosition) + 1);
  if (match == 0) return false;
  const std::string_view line = spyware[spyware.LineAt(match + 1)];

  alert_.alertFromStartup = true;
  protection::AlertFields& fields = alert_.Fields();
  fields = protection::AlertFields{};
  fields.title = protection::kStartupAlertTitle;
  fields.nameLine = knowledge::GetField(line, 2) + "   " + " (" + name + ")";
  fields.location = path;
  // Three splits in a row take out up to three parenthesised parts; the
  // first one's link is the finding's.
  protection::LinkAndRest split = protection::SplitDescriptionLink(knowledge::GetField(line, 4));
  fields.link = split.link;
  split = protection::SplitDescriptionLink(split.rest);
  split = protection::SplitDescriptionLink(split.rest);
  fields.description = split.rest;
  fields.identifier = std::to_string(row);
  alert_.ShowAlert();
  return true;
}

void StartupScanner::CheckStartupPrograms() {
  ScanAllStartupEntries();
  ports_.dialogs->Inform(kScanFinishedCaption, kScanFinishedText);
}

void StartupScanner::CheckThisItem() {
  const int row = list_.SelectedRow();
  if (row < 0 || row >= list_.RowCount()) return;
  ScanStartupEntry(ProgramPathOfCommand(list_.Cell(1, row)), row);
}

}  // namespace vz::startup
