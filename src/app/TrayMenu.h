#pragma once
// The notification-area icon and its menu: the entries in their order, which
// mouse events open the menu, the check marks of the entries that mirror
// the live scan options and blocking, and the word in the log when the desktop has no
// notification area.
#include <optional>
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
  BlockKnownSpyware,
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
  bool checkedAtStart = true;  // of a checkable entry
};

// The tray menu's entries with their state at start ("Show Vazeru" waits for
// the end of the start-up phase; the live scan entries start checked, the
// blocking entry unchecked).
const std::vector<TrayMenuEntry>& TrayMenuEntries();

// The tray entry that mirrors a live option, if it has one.
std::optional<TrayCommand> TrayCommandOf(ui::LiveOption option);

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

  // The check marks of "Live Scan Process Enabled", "Live scan Startups
  // Enabled" and "Block known spyware"; the other options have no entry
  // (always false, never set).
  bool OptionChecked(ui::LiveOption option) const;
  void SetOptionChecked(ui::LiveOption option, bool checked);
  // Greys (false) an option's entry.
  void SetOptionEnabled(ui::LiveOption option, bool enabled);

  // The desktop offers no notification area: said once in the log.
  void ReportNoSystemTray();

 private:
  ui::MainWindowView& view_;
  log::ShieldLog& log_;
  bool liveScan_ = true;
  bool startups_ = true;
  bool blocking_ = false;
  bool noTrayReported_ = false;
};

}  // namespace vz::app
