#pragma once
// Shared by the benchmarks: sleeping children to raise the process count, the
// bare /proc enumeration they are compared with, and a window that shows nothing.
#include <sys/types.h>

#include <string>
#include <vector>

#include "ui/Dialogs.h"
#include "ui/MainWindowView.h"

namespace vz::bench {

// Forks count children that sleep until killed (and die with the benchmark).
std::vector<pid_t> SpawnSleepers(int count);
void ReapSleepers(const std::vector<pid_t>& children);
// Processes in /proc now.
size_t ProcessCount();
// The floor: opendir/readdir of /proc plus one read of each /proc/PID/stat.
// Returns the bytes read, so the work cannot be optimised away.
size_t EnumerateProcFloor();

class NullMainWindow final : public ui::MainWindowView {
 public:
  std::string lastStatus;
  void SetStatusPanel(int, const std::string& text) override { lastStatus = text; }
  void ShowWindow() override {}
  void HideWindow() override {}
  bool IsWindowShowing() const override { return false; }
  void SetWindowState(ui::WindowState) override {}
  void BringToFront() override {}
  void SetCaption(const std::string&) override {}
  void SetBusyCursor(bool) override {}
  void SetProcessList(const std::vector<std::string>&, int) override {}
  void SetProcessPageEnabled(bool) override {}
  void SetShieldLog(const std::vector<std::string>&) override {}
  void SetStartupRows(const std::vector<ui::StartupRow>&, int) override {}
  void SetOptionChecked(ui::LiveOption, bool) override {}
  void SetShowVazeruEnabled(bool) override {}
  void SetInfoLabel(const std::string&) override {}
};

// Answers every box with the choice that changes nothing.
class SafeDialogs final : public ui::Dialogs {
 public:
  ui::DialogAnswer Show(const ui::DialogRequest& request) override { return ui::SafeAnswer(request.buttons); }
};

}  // namespace vz::bench
