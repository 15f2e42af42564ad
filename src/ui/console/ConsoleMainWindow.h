#pragma once
// The main window in the terminal: status panel changes are printed (at most
// once per panel per quarter second, so a scan of hundreds of processes does
// not flood the terminal; the clock panel is left out), and the window
// commands are noted when they matter to the user.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ui/MainWindowView.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class ConsoleMainWindow final : public MainWindowView {
 public:
  explicit ConsoleMainWindow(ConsoleOutput& out) : out_(out) {}

  // Prints the panels that changed since the last flush.
  void FlushStatus();
  // Told when a panel other than the clock changes (the front end then flushes soon).
  void SetOnStatusChanged(std::function<void()> onChanged) { onStatusChanged_ = std::move(onChanged); }
  // Text of a status panel as last set.
  const std::string& StatusPanel(int index) const { return panels_.at(static_cast<size_t>(index)); }

  void SetStatusPanel(int index, const std::string& text) override;
  void ShowWindow() override;
  void HideWindow() override { showing_ = false; }
  bool IsWindowShowing() const override { return showing_; }
  void SetWindowState(WindowState) override {}
  void BringToFront() override {}
  void SetCaption(const std::string& caption) override;
  void SetBusyCursor(bool) override {}
  void SetProcessList(const std::vector<std::string>&, int) override {}
  void SetProcessPageEnabled(bool) override {}
  void SetShieldLog(const std::vector<std::string>&) override {}
  void SetStartupRows(const std::vector<StartupRow>&, int) override {}
  void SetOptionChecked(LiveOption, bool) override {}
  void SetShowVazeruEnabled(bool) override {}
  void SetInfoLabel(const std::string& text) override;
  void ShowPage(Page) override {}
  void SetPanelVisible(WatchPanel, bool) override {}
  void SetProgramInfo(const ProgramInfo&) override {}
  void SetTrayIconVisible(bool) override {}
  void SetTrayOptionChecked(LiveOption, bool) override {}
  void ShowInfoPanel(const std::string&, int, int) override {}
  void HideInfoPanel() override {}
  HintProbe ProbeUnderCursor() const override { return {}; }

 private:
  ConsoleOutput& out_;
  std::array<std::string, kStatusPanelCount> panels_{"Processes:", "Known Spyware :", "All Known :", "Last action", "Time"};
  std::array<std::string, kStatusPanelCount> printed_ = panels_;
  bool showing_ = false;
  std::function<void()> onStatusChanged_;
  std::string caption_;
  // Only a change of the label is worth a line.
  std::string infoLabel_ = kInfoLabelDefault;
};

}  // namespace vz::ui::console
