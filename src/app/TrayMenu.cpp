#include "app/TrayMenu.h"

namespace vz::app {

namespace {

constexpr const char* kSeparatorCaption = "_______________________";

}  // namespace

const std::vector<TrayMenuEntry>& TrayMenuEntries() {
  static const std::vector<TrayMenuEntry> entries{
      {TrayCommand::ShowVazeru, "Show Vazeru", false, false},
      {TrayCommand::LiveScanProcesses, "Live Scan Process Enabled", true, true},
      {TrayCommand::LiveScanStartups, "Live scan Startups Enabled", true, true},
      {TrayCommand::BlockKnownSpyware, "Block known spyware", true, true, false},
      {TrayCommand::ViewLog, "View Vazeru Log", true, false},
      {TrayCommand::Separator, kSeparatorCaption, false, false},
      {TrayCommand::LaunchAdminConsole, "Launce Admin Console", true, false},
      {TrayCommand::Separator, kSeparatorCaption, false, false},
      {TrayCommand::ExitVazeru, "Exit Vazeru", true, false},
  };
  return entries;
}

bool TrayEventOpensMenu(int mouseEvent) {
  return mouseEvent == kTrayLeftButtonDown || mouseEvent == kTrayRightButtonDown;
}

std::optional<TrayCommand> TrayCommandOf(ui::LiveOption option) {
  switch (option) {
    case ui::LiveOption::LiveScanProcesses: return TrayCommand::LiveScanProcesses;
    case ui::LiveOption::LiveScanStartups: return TrayCommand::LiveScanStartups;
    case ui::LiveOption::BlockKnownSpyware: return TrayCommand::BlockKnownSpyware;
    default: return std::nullopt;
  }
}

bool TrayMenu::OptionChecked(ui::LiveOption option) const {
  if (option == ui::LiveOption::LiveScanProcesses) return liveScan_;
  if (option == ui::LiveOption::LiveScanStartups) return startups_;
  if (option == ui::LiveOption::BlockKnownSpyware) return blocking_;
  return false;
}

void TrayMenu::SetOptionChecked(ui::LiveOption option, bool checked) {
  if (!TrayCommandOf(option)) return;
  if (option == ui::LiveOption::LiveScanProcesses) liveScan_ = checked;
  if (option == ui::LiveOption::LiveScanStartups) startups_ = checked;
  if (option == ui::LiveOption::BlockKnownSpyware) blocking_ = checked;
  view_.SetTrayOptionChecked(option, checked);
}

void TrayMenu::SetOptionEnabled(ui::LiveOption option, bool enabled) {
  if (TrayCommandOf(option)) view_.SetTrayOptionEnabled(option, enabled);
}

void TrayMenu::ReportNoSystemTray() {
  if (noTrayReported_) return;
  noTrayReported_ = true;
  log_.WriteShieldLog(kNoTrayLogText);
}

}  // namespace vz::app
