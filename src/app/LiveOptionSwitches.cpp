#include "app/LiveOptionSwitches.h"

namespace vz::app {

void LiveOptionSwitches::ShowAsTheyStand() {
  tray_.SetOptionChecked(ui::LiveOption::LiveScanProcesses, options_.liveScanProcesses);
  tray_.SetOptionChecked(ui::LiveOption::LiveScanStartups, options_.liveScanStartups);
  tray_.SetOptionChecked(ui::LiveOption::BlockKnownSpyware, options_.blockKnownSpyware);
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
    case ui::LiveOption::BlockKnownSpyware:
      if (!blockingAvailable_) {
        ShowBlocking(false);
        break;
      }
      options_.blockKnownSpyware = checked;
      // A guard that cannot start turns the option off (and greys it).
      if (blockingSwitch_) options_.blockKnownSpyware = blockingSwitch_(checked) && checked;
      ShowBlocking(options_.blockKnownSpyware);
      break;
  }
}

void LiveOptionSwitches::ShowBlocking(bool on) {
  view_.SetOptionChecked(ui::LiveOption::BlockKnownSpyware, on);
  tray_.SetOptionChecked(ui::LiveOption::BlockKnownSpyware, on);
}

void LiveOptionSwitches::BlockingUnavailable() {
  blockingAvailable_ = false;
  options_.blockKnownSpyware = false;
  ShowBlocking(false);
  view_.SetOptionEnabled(ui::LiveOption::BlockKnownSpyware, false);
  tray_.SetOptionEnabled(ui::LiveOption::BlockKnownSpyware, false);
}

void LiveOptionSwitches::OptionClicked(ui::LiveOption option, bool checked) { Apply(option, checked); }

void LiveOptionSwitches::TrayOptionClicked(ui::LiveOption option) {
  if (!TrayCommandOf(option)) return;
  bool checked = !tray_.OptionChecked(option);
  // Setting the box runs its click handler, which mirrors the mark back.
  view_.SetOptionChecked(option, checked);
  Apply(option, checked);
}

}  // namespace vz::app
