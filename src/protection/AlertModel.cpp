#include "protection/AlertModel.h"

#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"
#include "platform/FileSystem.h"
#include "protection/WebSearch.h"

namespace vz::protection {

namespace {
constexpr const char* kBoxCaption = "Orvane shield";
}  // namespace

using knowledge::IsBlank;

AlertModel::AlertModel(const ui::Ports& ports, ProcessTermination& termination, ExclusionList& exclusions,
                       std::string exclusionFile, const platform::PathConventions& paths)
    : ports_(ports),
      termination_(termination),
      exclusions_(exclusions),
      exclusionFile_(std::move(exclusionFile)),
      paths_(paths) {}

void AlertModel::OnShown() {
  if (mainTimer_) mainTimer_->Stop();
  removeStartupVisible_ = showRemoveStartup;
  killEnabled_ = !alertFromStartup && !blockedStart;
  deleteEnabled_ = !alertFromStartup;
  showRemoveStartup = false;
  blockedStart = false;
}

void AlertModel::ShowAlert() {
  ui::MainWindowView& main = *ports_.mainWindow;
  main.SetWindowState(ui::WindowState::Normal);
  main.BringToFront();
  main.ShowWindow();
  if (ports_.alert->IsShowing()) {
    OnShown();
    ports_.alert->ShowAgain(*this);
    return;
  }
  OnShown();
  ports_.alert->ShowModal(*this);
  // Closed, by whatever button: the main cycle runs again.
  if (mainTimer_) mainTimer_->Start();
  if (onClosed_) onClosed_();
}

void AlertModel::CloseWindow() { ports_.alert->Close(); }

void AlertModel::Close() {
  CloseWindow();
  ports_.mainWindow->HideWindow();
  ports_.mainWindow->SetWindowState(ui::WindowState::Normal);
  ports_.mainWindow->SetWindowState(ui::WindowState::Minimized);
}

void AlertModel::KillProcess() {
  if (termination_.KillAlertedProcess(fields_.process)) killEnabled_ = false;
}

void AlertModel::DeleteProgramFile() {
  // Taken before the kill: its pause lets events run, and the file deleted
  // must be the one of the process that was ended.
  const inventory::ProcessIdentity process = fields_.process;
  const std::string location = fields_.location;
  if (killEnabled_ && termination_.KillAlertedProcess(process)) killEnabled_ = false;
  if (!platform::FileExists(location)) return;
  if (platform::RemoveFile(location)) {
    ports_.dialogs->Inform(kBoxCaption, "File Deleted file");
    deleteEnabled_ = false;
  } else {
    ports_.dialogs->Error(kBoxCaption, "File Could not be deleted");
  }
}

void AlertModel::OpenContainingFolder() {
  std::string folder = paths_.FolderPart(fields_.location);
  if (!folder.empty()) ports_.browser->OpenFolder(folder);
}

void AlertModel::AddToExcludeList() {
  if (IsBlank(fields_.location)) return;
  std::string error;
  if (!exclusions_.AddExclusion(fields_.location, exclusionFile_, &error))
    ports_.dialogs->Error(kBoxCaption, "The exclusion list could not be saved: " + error);
  // The alert closes; the main window stays as it is.
  CloseWindow();
}

void AlertModel::MoreInfo() {
  std::string name = paths_.NamePart(fields_.location);
  if (IsBlank(name)) return;
  ports_.browser->Open(SearchUrl(SearchEndpoint(), name));
}

void AlertModel::OpenLink() {
  if (!IsBlank(fields_.link)) ports_.browser->Open(fields_.link);
}

void AlertModel::RemoveStartup() {
  if (!startupList_) return;
  int row = static_cast<int>(ParseIdentifier(fields_.identifier));
  startupList_->SelectRow(row);
  std::string valueName = startupList_->Cell(0, row);
  if (ports_.dialogs->Ask("Remove Startup", "Remove this startup program : " + valueName,
                          ui::DialogButtons::OkCancel) != ui::DialogAnswer::Ok)
    return;
  bool currentUser = knowledge::UpperCaseText(startupList_->Cell(2, row)) == "[HKCU]";
  startupList_->DeleteRunValue(currentUser, valueName);
  removeStartupVisible_ = false;
}

}  // namespace vz::protection
