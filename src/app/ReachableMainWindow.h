#pragma once
// The main window on a desktop without a notification area. Hidden, the window
// would leave the shield unreachable, so there a hide minimises it instead
// (it stays in the task bar), and once the start-up phase makes "Show Vazeru"
// available the window appears minimised. With a tray every call passes
// through unchanged.
#include "ui/MainWindowView.h"

namespace vz::app {

class ReachableMainWindow final : public ui::MainWindowView {
 public:
  explicit ReachableMainWindow(ui::MainWindowView& inner) : inner_(inner) {}

  void SetTrayAvailable(bool available) { trayAvailable_ = available; }
  bool TrayAvailable() const { return trayAvailable_; }

  void HideWindow() override;
  void ShowWindow() override;
  void SetWindowState(ui::WindowState state) override;
  void SetShowVazeruEnabled(bool enabled) override;

  void SetStatusPanel(int index, const std::string& text) override { inner_.SetStatusPanel(index, text); }
  bool IsWindowShowing() const override { return inner_.IsWindowShowing(); }
  void BringToFront() override { inner_.BringToFront(); }
  void SetCaption(const std::string& caption) override { inner_.SetCaption(caption); }
  void SetBusyCursor(bool busy) override { inner_.SetBusyCursor(busy); }
  void SetProcessList(const std::vector<std::string>& names, int selected) override {
    inner_.SetProcessList(names, selected);
  }
  void SetProcessPageEnabled(bool enabled) override { inner_.SetProcessPageEnabled(enabled); }
  void SetShieldLog(const std::vector<std::string>& entries) override { inner_.SetShieldLog(entries); }
  void SetStartupRows(const std::vector<ui::StartupRow>& rows, int selected) override {
    inner_.SetStartupRows(rows, selected);
  }
  void SetOptionChecked(ui::LiveOption option, bool checked) override { inner_.SetOptionChecked(option, checked); }
  void SetInfoLabel(const std::string& text) override { inner_.SetInfoLabel(text); }
  void ShowPage(ui::Page page) override { inner_.ShowPage(page); }
  void SetPanelVisible(ui::WatchPanel panel, bool visible) override { inner_.SetPanelVisible(panel, visible); }
  void SetProgramInfo(const ui::ProgramInfo& info) override { inner_.SetProgramInfo(info); }
  void SetCpuWatch(int barPosition, const std::string& current, const std::string& average) override {
    inner_.SetCpuWatch(barPosition, current, average);
  }
  void SetStatisticsLabel(ui::StatisticsLabel label, const std::string& text) override {
    inner_.SetStatisticsLabel(label, text);
  }
  void AddStartLogLine(const std::string& line) override { inner_.AddStartLogLine(line); }
  void ShowStartLogWindow() override { inner_.ShowStartLogWindow(); }
  void SetTrayIconVisible(bool visible) override { inner_.SetTrayIconVisible(visible); }
  void SetTrayOptionChecked(ui::LiveOption option, bool checked) override {
    inner_.SetTrayOptionChecked(option, checked);
  }
  void SetOptionEnabled(ui::LiveOption option, bool enabled) override { inner_.SetOptionEnabled(option, enabled); }
  void SetTrayOptionEnabled(ui::LiveOption option, bool enabled) override {
    inner_.SetTrayOptionEnabled(option, enabled);
  }
  void ShowInfoPanel(const std::string& text, int left, int top) override { inner_.ShowInfoPanel(text, left, top); }
  void HideInfoPanel() override { inner_.HideInfoPanel(); }
  ui::HintProbe ProbeUnderCursor() const override { return inner_.ProbeUnderCursor(); }

 private:
  ui::MainWindowView& inner_;
  bool trayAvailable_ = true;
  // Minimised in place of hidden: a return to the normal state waits for the next showing.
  bool minimisedForHide_ = false;
  bool showVazeruAvailable_ = false;
};

}  // namespace vz::app
