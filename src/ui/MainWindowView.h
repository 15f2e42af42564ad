#pragma once
// Port: the main window as the core sees it. The core models own the state
// (texts, lists, selection, options); the view shows what it is told and sends
// the user's actions back to the models.
#include <string>
#include <vector>

namespace vz::ui {

enum class WindowState { Normal, Minimized };

enum class LiveOption { LiveScanProcesses, LiveScanStartups, LiveBrowserProtection, ShowCpuWatch, ShowProcessStatistics };

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
};

}  // namespace vz::ui
