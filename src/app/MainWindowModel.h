#pragma once
// The main window's behaviour, without the window: navigation, the tray menu
// and its two mirrored check entries, the five live options, showing, hiding
// and exiting, the show handler's status and data file texts, the floating
// info panel with its hint timer, the own Run value, the administration
// console, the shield log viewer and the web links. A front end shows what
// this model tells the MainWindowView and forwards the user's clicks here.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/HintPlacement.h"
#include "app/LiveOptions.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "log/ShieldLog.h"
#include "platform/Registry.h"
#include "ui/Ports.h"

namespace vz::app {

inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN";
inline constexpr const char* kOwnRunValue = "Orvane shield";
inline constexpr const char* kAdminConsoleProgram = "qvadmin";
inline constexpr const char* kLiveScanInfoText =
    "Activates Live scanning of processes. It will capture possible Spyware instantly";
inline constexpr const char* kNoTrayLogText =
    "No notification area on this desktop: the main window stays in the task bar";
inline constexpr int kHintIntervalMs = 250;

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

// System commands of the title bar and the task bar.
inline constexpr int kSysCommandMinimize = 0xF020;
inline constexpr int kSysCommandClose = 0xF060;

enum class WebLink { Forum, MakerSite, AuthorSite };
std::string WebLinkAddress(WebLink link);

// The buttons of "Vazeru Options"; those whose work belongs to a subsystem
// that is not there yet are shown disabled.
enum class OptionsButton { StartOnSystemStartup, RemoveFromSystemStartup, ViewDownloadLog, RunUpdateNow, ViewShieldLog };
bool OptionsButtonAvailable(OptionsButton button);

class MainWindowModel {
 public:
  // What other subsystems provide; an empty hook does nothing.
  struct Hooks {
    std::function<void(bool resume)> browserKeyMonitor;  // "Live IE proctection"
    std::function<void()> refreshStartupList;           // after the own Run value changed
  };
  // How programs are started (tests replace it): false with the reason.
  struct Launchers {
    std::function<bool(const std::vector<std::string>& argv, std::string& error)> launchHidden;
  };

  MainWindowModel(const ui::Ports& ports, LiveOptions& options, log::ShieldLog& log, inventory::ProcessList& processes,
                  const knowledge::KnowledgeBase& knowledge, platform::RegistryStore& registry,
                  std::function<void()> exitApplication);
  ~MainWindowModel();

  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
  Hooks& MutableHooks() { return hooks_; }
  void SetLaunchers(Launchers launchers) { launchers_ = std::move(launchers); }

  // The window's creation: the tray icon, the "Process" page, the tray check
  // marks and watch panels as the options stand.
  void OnCreate();

  // Navigation.
  void Navigate(ui::Page page);
  // F5 on the process list: the list is rebuilt now.
  void RefreshProcessList();

  // The five check boxes, clicked (checked is the box's new state).
  void OptionClicked(ui::LiveOption option, bool checked);
  // A tray check entry clicked: inverts its own mark and sets its check box.
  void TrayOptionClicked(ui::LiveOption option);
  bool TrayOptionChecked(ui::LiveOption option) const;

  // A tray menu command (check entries as TrayOptionClicked).
  void RunTrayCommand(TrayCommand command);

  // "Show Vazeru": normal state, shown, in front; an open alert comes to the front too.
  void ShowVazeru();
  // "Exit Vazeru": removes the tray icon and ends the application.
  void ExitVazeru();
  // The show handler: runs whenever the window has become visible.
  void OnShown();
  // A close request: refused, the window is hidden instead. Returns whether to close (never).
  bool OnCloseRequest();
  // A system command; true when handled here (minimise and close hide the window).
  bool OnSystemCommand(int command);
  // Hides the window; a hidden window is in the normal and then the minimised state.
  void HideMainWindow();
  // The desktop offers no notification area: said once in the log.
  void ReportNoSystemTray();

  // The info panel over "Live Scan Process's": entering shows the text beside
  // the box (box position within the page area, page area left within the window).
  void LiveScanEntered(int boxLeft, int boxTop, int pageAreaLeft);
  void LiveScanLeft();
  // One expiry of the hint timer.
  void HintTimerTick();
  ui::Timer& HintTimer() { return *hintTimer_; }

  // "Start shield on system startup" / "Remove Vazeru from system startup".
  void StartOnSystemStartup();
  void RemoveFromSystemStartup();
  // "Launce Admin Console" and "Launch Admin Consol"; a console that cannot
  // be started is reported.
  void LaunchAdminConsole();
  // "View Vazeru Log" and "View shield log": the log file in the desktop's viewer.
  void ViewShieldLog();
  void OpenWebLink(WebLink link);
  // An action that could not be done: one line in the shield log, and the
  // same text in the status bar's "Last action" panel.
  void ReportActionFailure(const std::string& line);

  // The texts the show handler puts on the "Options & Info" page.
  ui::ProgramInfo CurrentProgramInfo() const;

 private:
  void SetTrayMark(ui::LiveOption option, bool checked);
  void ApplyOption(ui::LiveOption option, bool checked);
  platform::RegistryKey OpenRunKeyForWriting();

  ui::Ports ports_;
  LiveOptions& options_;
  log::ShieldLog& log_;
  inventory::ProcessList& processes_;
  const knowledge::KnowledgeBase& knowledge_;
  platform::RegistryStore& registry_;
  std::function<void()> exitApplication_;
  Hooks hooks_;
  Launchers launchers_;
  std::unique_ptr<ui::Timer> hintTimer_;
  bool trayLiveScan_ = true;
  bool trayStartups_ = true;
  bool noTrayReported_ = false;
};

}  // namespace vz::app
