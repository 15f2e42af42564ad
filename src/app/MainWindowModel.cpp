#include "app/MainWindowModel.h"

#include <cstdio>

#include "knowledge/TextFields.h"
#include "platform/AppFolder.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"

#ifndef VAZERU_VERSION
#define VAZERU_VERSION "development"
#endif

namespace vz::app {

namespace {

constexpr const char* kSeparatorCaption = "_______________________";
constexpr const char* kLogFile = "Vazeru.log";

// A packed file date as local date and time; a missing file says so.
std::string DataDateText(const std::string& path) {
  std::int64_t packed = platform::FileDateOf(path);
  if (packed < 0) return "file not found";
  auto value = static_cast<std::uint32_t>(packed);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", ((value >> 25) & 0x7Fu) + 1980u,
                (value >> 21) & 0x0Fu, (value >> 16) & 0x1Fu, (value >> 11) & 0x1Fu, (value >> 5) & 0x3Fu,
                (value & 0x1Fu) * 2u);
  return text;
}

}  // namespace

const std::vector<TrayMenuEntry>& TrayMenuEntries() {
  static const std::vector<TrayMenuEntry> entries{
      {TrayCommand::ShowVazeru, "Show Vazeru", false, false},
      {TrayCommand::LiveScanProcesses, "Live Scan Process Enabled", true, true},
      {TrayCommand::LiveScanStartups, "Live scan Startups Enabled", true, true},
      {TrayCommand::ViewLog, "View Vazeru Log", true, false},
      {TrayCommand::Separator, kSeparatorCaption, false, false},
      {TrayCommand::LaunchAdminConsole, "Launce Admin Console", true, false},
      {TrayCommand::Separator, kSeparatorCaption, false, false},
      {TrayCommand::ExitVazeru, "Exit Vazeru", true, false},
  };
  return entries;
}

bool TrayEventOpensMenu(int mouseEvent) {
  return mouseEvent == kTrayLeftButtonDown || mouseEvent == kTrayRightButtonDown;
}

std::string WebLinkAddress(WebLink link) {
  switch (link) {
    case WebLink::Forum: return "https://orvane.example/forum/";
    case WebLink::MakerSite: return "https://orvane.example/";
    case WebLink::AuthorSite: return "https://vazeru.orvane.example/";
  }
  return {};
}

bool OptionsButtonAvailable(OptionsButton button) {
  // The download log and the update belong to the update subsystem.
  return button != OptionsButton::ViewDownloadLog && button != OptionsButton::RunUpdateNow;
}

MainWindowModel::MainWindowModel(const ui::Ports& ports, LiveOptions& options, log::ShieldLog& log,
                                 inventory::ProcessList& processes, const knowledge::KnowledgeBase& knowledge,
                                 platform::RegistryStore& registry, std::function<void()> exitApplication)
    : ports_(ports),
      options_(options),
      log_(log),
      processes_(processes),
      knowledge_(knowledge),
      registry_(registry),
      exitApplication_(std::move(exitApplication)),
      launchers_{[](const std::vector<std::string>& argv, std::string& error) {
        return platform::LaunchHidden(argv, &error);
      }} {
  hintTimer_ = ports_.timers->CreateTimer(kHintIntervalMs, [this] { HintTimerTick(); });
}

MainWindowModel::~MainWindowModel() = default;

void MainWindowModel::OnCreate() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetTrayIconVisible(true);
  view.ShowPage(ui::Page::Process);
  SetTrayMark(ui::LiveOption::LiveScanProcesses, options_.liveScanProcesses);
  SetTrayMark(ui::LiveOption::LiveScanStartups, options_.liveScanStartups);
  view.SetPanelVisible(ui::WatchPanel::SystemWatch, options_.showCpuWatch);
  view.SetPanelVisible(ui::WatchPanel::ProcessStatistics, options_.showProcessStatistics);
  view.SetProgramInfo(CurrentProgramInfo());
}

void MainWindowModel::Navigate(ui::Page page) { ports_.mainWindow->ShowPage(page); }

void MainWindowModel::RefreshProcessList() {
  processes_.SetForceRefresh(true);
  processes_.RefreshProcessList();
}

void MainWindowModel::SetTrayMark(ui::LiveOption option, bool checked) {
  if (option == ui::LiveOption::LiveScanProcesses) trayLiveScan_ = checked;
  if (option == ui::LiveOption::LiveScanStartups) trayStartups_ = checked;
  ports_.mainWindow->SetTrayOptionChecked(option, checked);
}

bool MainWindowModel::TrayOptionChecked(ui::LiveOption option) const {
  if (option == ui::LiveOption::LiveScanProcesses) return trayLiveScan_;
  if (option == ui::LiveOption::LiveScanStartups) return trayStartups_;
  return false;
}

void MainWindowModel::ApplyOption(ui::LiveOption option, bool checked) {
  switch (option) {
    case ui::LiveOption::LiveScanProcesses:
      options_.liveScanProcesses = checked;
      SetTrayMark(option, checked);
      break;
    case ui::LiveOption::LiveScanStartups:
      options_.liveScanStartups = checked;
      SetTrayMark(option, checked);
      break;
    case ui::LiveOption::LiveBrowserProtection:
      options_.liveBrowserProtection = checked;
      if (hooks_.browserKeyMonitor) hooks_.browserKeyMonitor(checked);
      break;
    case ui::LiveOption::ShowCpuWatch:
      options_.showCpuWatch = checked;
      ports_.mainWindow->SetPanelVisible(ui::WatchPanel::SystemWatch, checked);
      break;
    case ui::LiveOption::ShowProcessStatistics:
      options_.showProcessStatistics = checked;
      ports_.mainWindow->SetPanelVisible(ui::WatchPanel::ProcessStatistics, checked);
      break;
  }
}

void MainWindowModel::OptionClicked(ui::LiveOption option, bool checked) { ApplyOption(option, checked); }

void MainWindowModel::TrayOptionClicked(ui::LiveOption option) {
  if (option != ui::LiveOption::LiveScanProcesses && option != ui::LiveOption::LiveScanStartups) return;
  bool checked = !TrayOptionChecked(option);
  // Setting the box runs its click handler, which mirrors the mark back.
  ports_.mainWindow->SetOptionChecked(option, checked);
  ApplyOption(option, checked);
}

void MainWindowModel::RunTrayCommand(TrayCommand command) {
  switch (command) {
    case TrayCommand::ShowVazeru: ShowVazeru(); break;
    case TrayCommand::LiveScanProcesses: TrayOptionClicked(ui::LiveOption::LiveScanProcesses); break;
    case TrayCommand::LiveScanStartups: TrayOptionClicked(ui::LiveOption::LiveScanStartups); break;
    case TrayCommand::ViewLog: ViewShieldLog(); break;
    case TrayCommand::Separator: break;
    case TrayCommand::LaunchAdminConsole: LaunchAdminConsole(); break;
    case TrayCommand::ExitVazeru: ExitVazeru(); break;
  }
}

void MainWindowModel::ShowVazeru() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetWindowState(ui::WindowState::Normal);
  view.ShowWindow();
  view.BringToFront();
  if (ports_.alert->IsShowing()) ports_.alert->BringToFront();
}

void MainWindowModel::ExitVazeru() {
  ports_.mainWindow->SetTrayIconVisible(false);
  if (exitApplication_) exitApplication_();
}

ui::ProgramInfo MainWindowModel::CurrentProgramInfo() const {
  const std::string folder = platform::AppFolder();
  ui::ProgramInfo info;
  info.program = std::string("Orvane Vazeru ") + VAZERU_VERSION;
  info.spywareDataDate = DataDateText(folder + knowledge::kSpywareArchive);
  info.programsDataDate = DataDateText(folder + knowledge::kKnownArchive);
  info.knownSpyware = "Known Spyware: " + std::to_string(knowledge_.SpywareCount());
  info.knownPrograms = "Known programs: " + std::to_string(knowledge_.AllKnownCount());
  return info;
}

void MainWindowModel::OnShown() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetStatusPanel(0, "Processes: " + std::to_string(processes_.Names().size()));
  view.SetProgramInfo(CurrentProgramInfo());
  // The front ends create the window hidden, so there is no first showing by
  // the framework to take out of sight: every showing stays visible.
  if (!hintTimer_->IsRunning()) hintTimer_->Start();
}

void MainWindowModel::HideMainWindow() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.HideWindow();
  view.SetWindowState(ui::WindowState::Normal);
  view.SetWindowState(ui::WindowState::Minimized);
  view.HideInfoPanel();
}

bool MainWindowModel::OnCloseRequest() {
  HideMainWindow();
  return false;
}

bool MainWindowModel::OnSystemCommand(int command) {
  if (command != kSysCommandMinimize && command != kSysCommandClose) return false;
  HideMainWindow();
  return true;
}

void MainWindowModel::ReportNoSystemTray() {
  if (noTrayReported_) return;
  noTrayReported_ = true;
  log_.WriteShieldLog(kNoTrayLogText);
}

void MainWindowModel::LiveScanEntered(int boxLeft, int boxTop, int pageAreaLeft) {
  PanelPosition pos = PlaceLiveScanInfo(boxLeft, boxTop, pageAreaLeft);
  ports_.mainWindow->ShowInfoPanel(kLiveScanInfoText, pos.left, pos.top);
}

void MainWindowModel::LiveScanLeft() { ports_.mainWindow->HideInfoPanel(); }

void MainWindowModel::HintTimerTick() {
  ui::MainWindowView& view = *ports_.mainWindow;
  if (!view.IsWindowShowing()) {
    // Nothing to point at while hidden; the next showing starts the timer again.
    hintTimer_->Stop();
    view.HideInfoPanel();
    return;
  }
  ui::HintProbe probe = view.ProbeUnderCursor();
  if (!probe.found || probe.name.empty() || knowledge::TrimBlanks(probe.hint).empty()) {
    view.HideInfoPanel();
    return;
  }
  PanelPosition pos = PlaceHintPanel(probe);
  view.ShowInfoPanel(probe.hint, pos.left, pos.top);
}

platform::RegistryKey MainWindowModel::OpenRunKeyForWriting() {
  platform::RegistryKey key;
  // Opened without creating it; a key that cannot be opened for writing (no
  // rights on the machine's Run key) leaves everything as it is.
  if (!registry_.OpenKey(platform::RegistryRoot::LocalMachine, kRunKey, platform::RegAccess::ReadWrite,
                         platform::RegDisposition::OpenExisting, key))
    return {};
  return key;
}

void MainWindowModel::StartOnSystemStartup() {
  platform::RegistryKey key = OpenRunKeyForWriting();
  if (key.IsOpen()) key.WriteString(kOwnRunValue, platform::StartupCommandFor(platform::OwnExecutablePath()));
  if (hooks_.refreshStartupList) hooks_.refreshStartupList();
}

void MainWindowModel::RemoveFromSystemStartup() {
  platform::RegistryKey key = OpenRunKeyForWriting();
  if (key.IsOpen()) key.DeleteValue(kOwnRunValue);
  if (hooks_.refreshStartupList) hooks_.refreshStartupList();
}

void MainWindowModel::LaunchAdminConsole() {
  std::string error;
  if (launchers_.launchHidden && !launchers_.launchHidden({platform::AppFolder() + kAdminConsoleProgram}, error))
    ReportActionFailure("Could not start the admin console: " + error);
}

void MainWindowModel::ViewShieldLog() {
  // The file of the previous run; without one nothing happens.
  std::string path = platform::AppFolder() + kLogFile;
  if (platform::FileExists(path)) ports_.browser->OpenFile(path);
}

void MainWindowModel::ReportActionFailure(const std::string& line) {
  log_.WriteShieldLog(line);
  ports_.mainWindow->SetStatusPanel(3, line);
}

void MainWindowModel::OpenWebLink(WebLink link) { ports_.browser->Open(WebLinkAddress(link)); }

}  // namespace vz::app
