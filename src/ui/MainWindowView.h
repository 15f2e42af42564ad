#pragma once
// Port: the main window as the core sees it. The core models own the state
// (texts, lists, selection, options); the view shows what it is told and sends
// the user's actions back to the models.
#include <string>
#include <vector>

namespace vz::ui {

enum class WindowState { Normal, Minimized };

// The text of the "Important Info" section's label until the start-up finds
// the spyware data too old and replaces it.
inline constexpr const char* kInfoLabelDefault = "You can read about important information here :";

enum class LiveOption {
  LiveScanProcesses,
  LiveScanStartups,
  LiveBrowserProtection,
  ShowCpuWatch,
  ShowProcessStatistics,
  BlockKnownSpyware,
};

// The three pages of the page area; one is visible at a time.
enum class Page { Process, OptionsInfo, StartupPrograms };

// The two watch panels of the "Tools" column.
enum class WatchPanel { SystemWatch, ProcessStatistics };

// The value labels of the "Process statistics" panel.
enum class StatisticsLabel { LatestStart, ProcessChanges, LastMinute, Last15Minutes };

// The program and data file information of the "Options & Info" page.
struct ProgramInfo {
  std::string program;           // name and version
  std::string spywareDataDate;   // file date of the spyware archive
  std::string programsDataDate;  // file date of the known-programs archive
  std::string knownSpyware;      // "Known Spyware: " + count
  std::string knownPrograms;     // "Known programs: " + count
};

// What lies under the mouse cursor, as the hint timer needs it. Cursor and
// window position in screen coordinates; the panel's size as it is now.
struct HintProbe {
  bool found = false;  // a control of the main window lies under the cursor
  std::string name;    // the control's name
  std::string hint;    // its hint text
  int cursorX = 0, cursorY = 0;
  int windowLeft = 0, windowTop = 0, windowWidth = 0, clientHeight = 0;
  int panelWidth = 0, panelHeight = 0;
};

struct StartupRow {
  std::string valueName;  // column 0
  std::string command;    // column 1
  std::string hiveTag;    // column 2: "[HKLM]" or "[HKCU]"
};

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;

  static constexpr int kStatusPanelCount = 5;
  virtual void SetStatusPanel(int index, const std::string& text) = 0;

  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual bool IsWindowShowing() const = 0;
  virtual void SetWindowState(WindowState state) = 0;
  virtual void BringToFront() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetBusyCursor(bool busy) = 0;

  // Process page: the list "TaskList" and the selected line (-1: none).
  virtual void SetProcessList(const std::vector<std::string>& names, int selected) = 0;
  virtual void SetProcessPageEnabled(bool enabled) = 0;

  // Shield log, newest first; called after every change.
  virtual void SetShieldLog(const std::vector<std::string>& entries) = 0;

  // Startup page grid and its selected row (-1: none).
  virtual void SetStartupRows(const std::vector<StartupRow>& rows, int selected) = 0;

  virtual void SetOptionChecked(LiveOption option, bool checked) = 0;
  virtual void SetShowVazeruEnabled(bool enabled) = 0;
  virtual void SetInfoLabel(const std::string& text) = 0;

  // The window parts below do nothing by default: a display without them
  // (a terminal, a benchmark) need not provide them.

  // Navigation: shows one page and hides the others.
  virtual void ShowPage(Page /*page*/) {}
  virtual void SetPanelVisible(WatchPanel /*panel*/, bool /*visible*/) {}
  virtual void SetProgramInfo(const ProgramInfo& /*info*/) {}

  // "System Watch": the bar's position (0..100) and the two value labels.
  virtual void SetCpuWatch(int /*barPosition*/, const std::string& /*current*/, const std::string& /*average*/) {}
  // "Process statistics": one value label.
  virtual void SetStatisticsLabel(StatisticsLabel /*label*/, const std::string& /*text*/) {}
  // The start log window: a line added at the end of its list; showing it (not modal).
  virtual void AddStartLogLine(const std::string& /*line*/) {}
  virtual void ShowStartLogWindow() {}

  // The notification-area icon with its menu, and the menu's check entries.
  virtual void SetTrayIconVisible(bool /*visible*/) {}
  virtual void SetTrayOptionChecked(LiveOption /*option*/, bool /*checked*/) {}
  // An option's box and its tray entry greyed (false) when the option cannot work here.
  virtual void SetOptionEnabled(LiveOption /*option*/, bool /*enabled*/) {}
  virtual void SetTrayOptionEnabled(LiveOption /*option*/, bool /*enabled*/) {}

  // The floating info panel, placed in the window's coordinates.
  virtual void ShowInfoPanel(const std::string& /*text*/, int /*left*/, int /*top*/) {}
  virtual void HideInfoPanel() {}
  virtual HintProbe ProbeUnderCursor() const { return {}; }
};

}  // namespace vz::ui
