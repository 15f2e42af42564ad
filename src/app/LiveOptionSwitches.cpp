#include "app/LiveOptionSwitches.h"

namespace vz::app {

void LiveOptionSwitches::ShowAsTheyStand() {
  tray_.SetOptionChecked(ui::LiveOption::LiveScanProcesses, options_.liveScanProcesses);
  tray_.SetOptionChecked(ui::LiveOption::LiveScanStartups, options_.liveScanStartups);
  view_.SetPanelVisible(ui::WatchPanel::SystemWatch, options_.showCpuWatch);
  view_.SetPanelVisible(ui::WatchPanel::ProcessStatistics, options_.showProcessStatistics);
}

void LiveOptionSwitches::Apply(ui::LiveOption option, bool checked) {
  switch (option) {
    case ui::LiveOption::LiveScanProcesses:
      options_.liveScanProcesses = checked;
      tray_.SetOptionChecked(option, checked);
      break;
    case ui::LiveOption::LiveScanStartups:
      options_.liveScanStartups = checked;
      tray_.SetOptionChecked(option, checked);
      break;
    case ui::LiveOption::LiveBrowserProtection:
      options_.liveBrowserProtection = checked;
      if (browserKeyMonitor_) browserKeyMonitor_(checked);
      break;
    case ui::LiveOption::ShowCpuWatch:
      options_.showCpuWatch = checked;
      view_.SetPanelVisible(ui::WatchPanel::SystemWatch, checked);
      break;
    case ui::LiveOption::ShowProcessStatistics:
      options_.showProcessStatistics = checked;
      view_.SetPanelVisible(ui::WatchPanel::ProcessStatistics, checked);
      break;
  }
}

void LiveOptionSwitches::OptionClicked(ui::LiveOption option, bool checked) { Apply(option, checked); }

void LiveOptionSwitches::TrayOptionClicked(ui::LiveOption option) {
  if (option != ui::LiveOption::LiveScanProcesses && option != ui::LiveOption::LiveScanStartups) return;
  bool checked = !tray_.OptionChecked(option);
  // Setting the box runs its click handler, which mirrors the mark back.
  view_.SetOptionChecked(option, checked);
  Apply(option, checked);
}

}  // namespace vz::app
