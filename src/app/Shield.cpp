#include "app/Shield.h"

#include "app/PackagedDataSeed.h"
#include "app/ResourceExtractor.h"
#include "knowledge/KnowledgeLoader.h"
#include "platform/AppFolder.h"
#include "platform/Launcher.h"
#include "update/ScheduleRecord.h"

namespace vz::app {

Shield::Shield(const ui::Ports& ports, const ShieldServices& services, CommandLine commandLine,
               std::function<void()> terminateApplication)
    : ports_(ports),
      services_(services),
      commandLine_(std::move(commandLine)),
      terminate_(std::move(terminateApplication)),
      log_(services.clock),
      processList_(services.processes, *ports.mainWindow, services.clock),
      cycle_(ports, log_, processList_, options_, services.clock),
      resource_(*ports.dialogs, ports.events),
      extractor_(std::make_unique<ResourceExtractor>(resource_)),
      folders_(services.registry),
      exclusions_(services.paths),
      termination_(services.processes, processList_, ports, services.clock),
      alert_(ports, termination_, exclusions_, platform::AppFolder() + protection::kExclusionFileName, services.paths),
      classifier_(
          knowledge_, folders_,
          [this](const std::string& folder, const std::string& name) { return exclusions_.IsExcluded(folder, name); },
          services.paths),
      scanner_(processList_, classifier_, folders_, knowledge_, alert_, log_, ports, services.paths, services.clock),
      details_(processList_, knowledge_.AllKnownList(), ports, termination_, services.paths),
      startupList_(services.registry, ports, log_),
      startupScanner_(startupList_, classifier_, knowledge_, alert_, ports, services.clock),
      instant_(ports.dispatcher, ports.alert, log_,
               protection::InstantDetection::Hooks{
                   [this](const inventory::ProcessIdentity& process) { scanner_.ScanStartedProcess(process); },
                   [this] { processList_.SetForceRefresh(true); },
                   [this] { return options_.liveScanProcesses; }}),
      blocking_(
          ports.dispatcher,
          [this] {
            return std::make_shared<const protection::BlockSnapshot>(knowledge_, exclusions_, folders_.Fix(),
                                                                     services_.paths);
          },
          [this](const protection::BlockedStart& blocked) {
            scanner_.ReportBlocked(blocked.entryName, blocked.path, blocked.pid);
          }),
      mainWindow_(ports, options_, log_, processList_, knowledge_, services.registry, [this] { EndApplication(); }),
      ownCpuTimes_(services.cpuTimes ? nullptr : platform::CreateSystemCpuTimes()),
      cpuWatch_(services.cpuTimes ? *services.cpuTimes : *ownCpuTimes_, *ports.mainWindow),
      statistics_(processList_, *ports.mainWindow, services.clock),
      ownHttp_(services.http ? nullptr : platform::CreateHttpClient()),
      downloader_(services.http ? *services.http : *ownHttp_, ports.download ? *ports.download : noDownloadWindow_,
                  *ports.events, services.clock, platform::AppFolder()),
      runUpdate_(
          downloader_, *ports.dialogs, [this] { return UpdateServerAddress(); }, platform::AppFolder(),
          [this] { Restart(); }),
      schedule_(update::ScheduledTaskServices{services.registry, log_, services.clock, downloader_, runUpdate_,
                                              platform::AppFolder(), [this] { Restart(); }},
                *ports.timers),
      browserProtection_(services.registry, *ports.dialogs, *ports.mainWindow, log_, ports.dispatcher) {
  log_.SetSink(services.logSink);
  log_.SetOnChanged([this](const std::vector<std::string>& entries) { ports_.mainWindow->SetShieldLog(entries); });
  resource_.onBusyCursor = [this](bool busy) { ports_.mainWindow->SetBusyCursor(busy); };
  classifier_.SetErrorSink([this](const std::string& message) {
    if (processList_.RebuildCount() == lastErrorRefresh_) return;
    lastErrorRefresh_ = processList_.RebuildCount();
    log_.WriteShieldLog(message);
  });
  processList_.SetScanFunction(
      [this](const std::string& name, std::uint32_t pid, int position) { ScanNewProcess(name, pid, position); });
  alert_.SetMainTimer(&cycle_.MainTimer());
  alert_.SetStartupList(&startupList_);
  // Writing or deleting the shield's own Run entry shows in the startup list.
  mainWindow_.Autostart().SetAfterChange([this] { startupList_.RefreshStartupList(); });
  alert_.SetOnClosed([this] {
    // "Exclude" may have changed what the guard must let run.
    if (blocking_.Live()) blocking_.Renew();
    instant_.AlertClosed();
  });
  options_.blockKnownSpyware = commandLine_.block;
  // Whatever the desktop could not open is said in the log and the status bar.
  if (ports_.browser)
    ports_.browser->SetFailureReport([this](const std::string& line) { mainWindow_.Failures().Report(line); });
  // The details follow the selected process through a rebuild, or go with it.
  processList_.SetOnSelectionRebuilt([this] { details_.ShowProcessDetails(); });

  browserProtection_.Guard().SetMainTimer(&cycle_.MainTimer());
  browserProtection_.Guard().SetHideWindow([this] { mainWindow_.Visibility().HideMainWindow(); });
  mainWindow_.Switches().SetBrowserKeyMonitor(
      [this](bool watched) { browserProtection_.SetBrowserPagesWatched(watched); });
  mainWindow_.Switches().SetBlockingSwitch([this](bool on) { return SetBlocking(on); });

  MainCycle::Steps& steps = cycle_.MutableSteps();
  steps.loadKnowledgeBase = [this] { LoadKnowledgeBase(); };
  steps.dataTooOld = [this] { return knowledge_.DataTooOld(); };
  // The startup entries are scanned only against loaded lists.
  steps.startupWatch = [this] {
    if (knowledgeLoaded_) startupScanner_.WatchStep();
  };
  steps.cpuStep = [this](int tickCount) { cpuWatch_.Step(tickCount); };
  steps.statistics = [this] { statistics_.Step(cycle_.TickCount()); };
  steps.scheduleStartupCheck = [this] { schedule_.StartupCheck(); };
  steps.startScheduleTimer = [this] { schedule_.StartTimer(); };
  mainWindow_.SetRunUpdateNow([this] { RunUpdateNow(); });
  steps.startEventRoad = [this] {
    instant_.Start(services_.processEvents);
    if (options_.blockKnownSpyware) StartBlocking();
    if (onRoadsChanged_) onRoadsChanged_(LiveRoads());
  };
}

Shield::~Shield() {
  // No start reaches the scan once the shield's parts begin to go, and no
  // program waits on a decision.
  blocking_.Stop();
  instant_.Stop();
  if (ports_.browser) ports_.browser->SetFailureReport(nullptr);
}

void Shield::ScanNewProcess(const std::string& name, std::uint32_t pid, int position) {
  scanner_.ScanProcess(name, pid, position);
}

void Shield::LoadKnowledgeBase() {
  knowledge::LoadEnvironment env{dataFolder_, *extractor_, log_, *ports_.mainWindow, *ports_.events, services_.clock};
  knowledge::LoadKnowledgeBase(knowledge_, env);
  knowledgeLoaded_ = true;
  if (knowledge_.DataTooOld()) ports_.mainWindow->SetInfoLabel(knowledge::kInfoLabelTooOld);
}

void Shield::CreateWindows() {
  CreateMainWindow();
  // The download window's model (downloader_) lives as long as the shield.
  ports_.mainWindow->HideWindow();
  // The exclusion list holder loads the user's exclusions.
  exclusions_.Load(dataFolder_ + protection::kExclusionFileName);
  // The alert is ready (alert_); the start log window shows statistics_'s lines.
}

void Shield::CreateMainWindow() {
  ui::MainWindowView& view = *ports_.mainWindow;
  view.SetCaption(kMainWindowCaption);
  view.HideWindow();
  // The guarded settings' baselines, then the two registry monitors.
  browserProtection_.Start();
  dataFolder_ = platform::AppFolder();
  // An installed shield's own folder gets the packaged data it lacks.
  SeedFromPackagedData(platform::PackagedDataFolder(), dataFolder_, log_);
  knowledge::DeleteStaleUnpackedLists(dataFolder_);
  processList_.ResetScanMemory();
  processList_.Select(-1);
  view.SetProcessList({}, -1);
  view.SetShowVazeruEnabled(false);
  knowledge::LoadSystemFileLists(knowledge_, dataFolder_);
  view.SetOptionChecked(ui::LiveOption::LiveScanProcesses, options_.liveScanProcesses);
  view.SetOptionChecked(ui::LiveOption::LiveScanStartups, options_.liveScanStartups);
  view.SetOptionChecked(ui::LiveOption::LiveBrowserProtection, options_.liveBrowserProtection);
  view.SetOptionChecked(ui::LiveOption::ShowCpuWatch, options_.showCpuWatch);
  view.SetOptionChecked(ui::LiveOption::ShowProcessStatistics, options_.showProcessStatistics);
  view.SetOptionChecked(ui::LiveOption::BlockKnownSpyware, options_.blockKnownSpyware);
  view.SetWindowState(ui::WindowState::Normal);
  mainWindow_.OnCreate();
  startupList_.RefreshStartupList();
}

void Shield::Start() { cycle_.MainTimer().Start(); }

void Shield::ShowVazeru() { mainWindow_.Visibility().ShowVazeru(); }

void Shield::ExitVazeru() { mainWindow_.ExitVazeru(); }

void Shield::Restart() {
  ports_.mainWindow->SetCaption(" Restarting");
  std::vector<std::string> argv{restartProgram_.empty() ? platform::OwnExecutablePath() : restartProgram_};
  for (auto& a : RestartArguments(commandLine_)) argv.push_back(a);
  // A failed start is not reported: this instance ends anyway.
  platform::LaunchHidden(argv);
  EndApplication();
}

std::string Shield::UpdateServerAddress() {
  // The address beside the schedule, read at each run so that a change made
  // with the admin console counts at once; the default when it cannot be read.
  update::ScheduleRecord record(services_.registry);
  try {
    if (record.Open(platform::RegAccess::Read)) return record.UpdateServer();
  } catch (const update::EScheduleRecord& e) {
    log_.WriteShieldLog(std::string("The update server setting cannot be read: ") + e.what());
  }
  return std::string(update::kDefaultUpdateServer);
}

void Shield::EndApplication() {
  downloader_.Shutdown();
  if (terminate_) terminate_();
}

std::string Shield::LiveRoads() const {
  if (instant_.Live() && blocking_.Live()) return "instant events, blocking";
  if (blocking_.Live()) return "blocking";
  return instant_.Live() ? "instant events" : "refresh only";
}

bool Shield::StartBlocking() {
  if (blocking_.Live()) return true;
  std::string error = "no guard on this system";
  if (services_.execGuard && blocking_.Start(*services_.execGuard, error)) return true;
  mainWindow_.Switches().BlockingUnavailable();
  log_.WriteShieldLog("Blocking known spyware is not available (" + error + "): programs are checked once they run");
  return false;
}

bool Shield::SetBlocking(bool on) {
  options_.blockKnownSpyware = on;
  bool live = true;
  if (on)
    live = StartBlocking();
  else
    blocking_.Stop();
  // Switched from elsewhere (the terminal): the box and the tray entry follow.
  mainWindow_.Switches().ShowBlocking(options_.blockKnownSpyware);
  if (onRoadsChanged_) onRoadsChanged_(LiveRoads());
  return live;
}

bool Shield::SaveLog() const { return log_.SaveTo(platform::AppFolder() + kLogFileName); }

}  // namespace vz::app
