#include "app/Shield.h"

#include "platform/AppFolder.h"
#include "platform/Launcher.h"

namespace vz::app {

Shield::Shield(const ui::Ports& ports, platform::ProcessPlatform& processes, CommandLine commandLine,
               std::function<void()> terminateApplication, const platform::Clock& clock)
    : ports_(ports),
      commandLine_(std::move(commandLine)),
      terminate_(std::move(terminateApplication)),
      clock_(clock),
      log_(clock),
      processList_(processes, *ports.mainWindow, clock),
      cycle_(ports, log_, processList_, options_, clock) {
  log_.SetOnChanged([this](const std::vector<std::string>& entries) { ports_.mainWindow->SetShieldLog(entries); });
}

Shield::~Shield() = default;

void Shield::CreateWindows() {
  CreateMainWindow();
  // The download window, the exclusion list holder, the alert and the start
  // log window come with their subsystems.
  ports_.mainWindow->HideWindow();
}

void Shield::CreateMainWindow() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetCaption(kMainWindowCaption);
  view.HideWindow();
  dataFolder_ = platform::AppFolder();
  processList_.ResetScanMemory();
  processList_.Select(-1);
  view.SetProcessList({}, -1);
  view.SetShowVazeruEnabled(false);
  view.SetOptionChecked(ui::LiveOption::LiveScanProcesses, options_.liveScanProcesses);
  view.SetOptionChecked(ui::LiveOption::LiveScanStartups, options_.liveScanStartups);
  view.SetOptionChecked(ui::LiveOption::LiveBrowserProtection, options_.liveBrowserProtection);
  view.SetOptionChecked(ui::LiveOption::ShowCpuWatch, options_.showCpuWatch);
  view.SetOptionChecked(ui::LiveOption::ShowProcessStatistics, options_.showProcessStatistics);
  view.SetWindowState(ui::WindowState::Normal);
}

void Shield::Start() { cycle_.MainTimer().Start(); }

void Shield::ShowVazeru() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetWindowState(ui::WindowState::Normal);
  view.ShowWindow();
  view.BringToFront();
}

void Shield::ExitVazeru() {
  if (terminate_) terminate_();
}

void Shield::Restart() {
  ports_.mainWindow->SetCaption(" Restarting");
  std::vector<std::string> argv{platform::OwnExecutablePath()};
  for (auto& a : RestartArguments(commandLine_)) argv.push_back(a);
  // A failed start is not reported: this instance ends anyway.
  platform::LaunchHidden(argv);
  if (terminate_) terminate_();
}

bool Shield::SaveLog() const { return log_.SaveTo(platform::AppFolder() + kLogFileName); }

}  // namespace vz::app
