#pragma once
// The notification-area icon and its menu: the entries in their order, which
// mouse events open the menu, the check marks of the two entries that mirror
// the live scan options, and the word in the log when the desktop has no
// notification area.
#include <string>
#include <vector>

#include "log/ShieldLog.h"
#include "ui/MainWindowView.h"

namespace vz::app {

inline constexpr const char* kNoTrayLogText =
    "No notification area on this desktop: the main window stays in the task bar";

// The tray menu, in its order. Separators are disabled entries with a line of text.
enum class TrayCommand {
  ShowVazeru,
  LiveScanProcesses,
  LiveScanStartups,
  ViewLog,
  Separator,
  LaunchAdminConsole,
  ExitVazeru,
};

struct TrayMenuEntry {
  TrayCommand command;
  std::string caption;
  bool enabledAtStart = true;
  bool checkable = false;
};

// The tray menu's entries with their state at start ("Show Vazeru" waits for
// the end of the start-up phase; the two check entries start checked).
const std::vector<TrayMenuEntry>& TrayMenuEntries();

// Mouse events of the tray icon's callback, numbered as the window messages are.
inline constexpr int kTrayLeftButtonDown = 0x201;
inline constexpr int kTrayRightButtonDown = 0x204;
// Only a left or right button press opens the tray menu.
bool TrayEventOpensMenu(int mouseEvent);

class TrayMenu {
 public:
  TrayMenu(ui::MainWindowView& view, log::ShieldLog& log) : view_(view), log_(log) {}

  void AddIcon() { view_.SetTrayIconVisible(true); }
  void RemoveIcon() { view_.SetTrayIconVisible(false); }

  // The check marks of "Live Scan Process Enabled" and "Live scan Startups
  // Enabled"; the other options have no entry (always false, never set).
  bool OptionChecked(ui::LiveOption option) const;
  void SetOptionChecked(ui::LiveOption option, bool checked);

  // The desktop offers no notification area: said once in the log.
  void ReportNoSystemTray();

 private:
  ui::MainWindowView& view_;
  log::ShieldLog& log_;
  bool liveScan_ = true;
  bool startups_ = true;
  bool noTrayReported_ = false;
};

}  // namespace vz::app
