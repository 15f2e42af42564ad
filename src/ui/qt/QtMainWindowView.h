#pragma once
// The main window port on Qt: forwards to the main window and the tray icon,
// which are created when first needed (an instance that only says "already
// running" creates neither).
#include <memory>

#include "app/MainWindowModel.h"
#include "ui/MainWindowView.h"

namespace vz::ui::qt {

class MainWindow;
class TrayIcon;

class QtMainWindowView final : public MainWindowView {
 public:
  QtMainWindowView();
  ~QtMainWindowView() override;

  MainWindow& Window();
  TrayIcon& Tray();
  bool HasWindow() const { return window_ != nullptr; }
  bool HasTray() const { return tray_ != nullptr; }

  void SetStatusPanel(int index, const std::string& text) override;
  void ShowWindow() override;
  void HideWindow() override;
  bool IsWindowShowing() const override;
  void SetWindowState(WindowState state) override;
  void BringToFront() override;
  void SetCaption(const std::string& caption) override;
  void SetBusyCursor(bool busy) override;
  void SetProcessList(const std::vector<std::string>& names, int selected) override;
  void SetProcessPageEnabled(bool enabled) override;
  void SetShieldLog(const std::vector<std::string>& entries) override;
  void SetStartupRows(const std::vector<StartupRow>& rows, int selected) override;
  void SetOptionChecked(LiveOption option, bool checked) override;
  void SetShowVazeruEnabled(bool enabled) override;
  void SetInfoLabel(const std::string& text) override;
  void ShowPage(Page page) override;
  void SetPanelVisible(WatchPanel panel, bool visible) override;
  void SetProgramInfo(const ProgramInfo& info) override;
  void SetCpuWatch(int barPosition, const std::string& current, const std::string& average) override;
  void SetStatisticsLabel(StatisticsLabel label, const std::string& text) override;
  void AddStartLogLine(const std::string& line) override;
  void ShowStartLogWindow() override;
  void SetTrayIconVisible(bool visible) override;
  void SetTrayOptionChecked(LiveOption option, bool checked) override;
  void SetOptionEnabled(LiveOption option, bool enabled) override;
  void SetTrayOptionEnabled(LiveOption option, bool enabled) override;
  void ShowInfoPanel(const std::string& text, int left, int top) override;
  void HideInfoPanel() override;
  HintProbe ProbeUnderCursor() const override;

 private:
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<TrayIcon> tray_;
  bool busy_ = false;
};

}  // namespace vz::ui::qt
