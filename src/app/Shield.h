#pragma once
// The running shield: every core object of one instance, created in the order
// the program's windows are created, and the application-level commands
// (show, exit, restart).
#include <functional>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "app/LiveOptions.h"
#include "app/MainCycle.h"
#include "app/MainWindowModel.h"
#include "archive/ArchiveExtraction.h"
#include "guard/BrowserProtection.h"
#include "inventory/FileOrigin.h"
#include "inventory/FolderValues.h"
#include "inventory/ProcessList.h"
#include "knowledge/ArchiveExtractor.h"
#include "knowledge/KnowledgeBase.h"
#include "log/ShieldLog.h"
#include "platform/Clock.h"
#include "platform/CpuTimes.h"
#include "platform/HttpClient.h"
#include "platform/ExecGuard.h"
#include "platform/PathConventions.h"
#include "platform/ProcessEvents.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "protection/AlertModel.h"
#include "protection/ExclusionList.h"
#include "protection/ExecBlocking.h"
#include "protection/InstantDetection.h"
#include "protection/ProcessDetails.h"
#include "protection/ProcessScan.h"
#include "protection/ProcessTermination.h"
#include "startup/StartupList.h"
#include "startup/StartupScanner.h"
#include "ui/Ports.h"
#include "watch/CpuWatch.h"
#include "watch/ProcessStatistics.h"
#include "update/RunUpdateCommand.h"
#include "update/ScheduledTask.h"
#include "update/UpdateDownloader.h"

namespace vz::app {

inline constexpr const char* kApplicationTitle = "Orvane shield";
inline constexpr const char* kMainWindowCaption = "Orvane Vazeru";
inline constexpr const char* kLogFileName = "Vazeru.log";

// The machine services one shield runs on. The path conventions are those of
// the machine being protected: the program's entry chooses them.
struct ShieldServices {
  platform::ProcessPlatform& processes;
  platform::RegistryStore& registry;
  const platform::PathConventions& paths;
  const platform::Clock& clock = platform::SystemClock();
  // The update client; none: the shield makes its own on libcurl.
  platform::HttpClient* http = nullptr;
  // Receives every shield log line besides the list (the system journal); none when null.
  log::ShieldLogSink* logSink = nullptr;
  // The CPU load's numbers; none: the machine's own.
  platform::CpuTimes* cpuTimes = nullptr;
  // The kernel's process events; nullptr: new processes are found by the refresh alone.
  platform::ProcessEventSource* processEvents = nullptr;
  // The guard that can refuse a program before it runs; nullptr: none here.
  platform::ExecGuard* execGuard = nullptr;
};

class Shield {
 public:
  Shield(const ui::Ports& ports, const ShieldServices& services, CommandLine commandLine,
         std::function<void()> terminateApplication);
  ~Shield();

  // Creates the windows' models in the program's order: the main window (its
  // creation steps run now), the download window, hides the main window, then
  // the exclusion list holder, the alert and the start log.
  void CreateWindows();

  // Starts the main cycle's timer (the message loop then drives it).
  void Start();

  // "Show Vazeru": the main window in its normal state, shown and in front.
  void ShowVazeru();
  // "Exit Vazeru": ends the application; the main block then saves the log.
  void ExitVazeru();
  // Starts a fresh shield with "Restart" and ends this one.
  void Restart();
  // The program a restart starts (this program's own file unless set).
  void SetRestartProgram(std::string program) { restartProgram_ = std::move(program); }
  // Writes the shield log to AppFolder + "Vazeru.log"; false on failure.
  bool SaveLog() const;

  log::ShieldLog& Log() { return log_; }
  inventory::ProcessList& Processes() { return processList_; }
  MainCycle& Cycle() { return cycle_; }
  LiveOptions& Options() { return options_; }
  knowledge::KnowledgeBase& Knowledge() { return knowledge_; }
  protection::ExclusionList& Exclusions() { return exclusions_; }
  protection::AlertModel& Alert() { return alert_; }
  protection::ProcessTermination& Termination() { return termination_; }
  protection::ProcessDetailsPanel& Details() { return details_; }
  MainWindowModel& MainWindow() { return mainWindow_; }
  update::UpdateDownloader& Downloader() { return downloader_; }
  // "Run update now".
  void RunUpdateNow() { runUpdate_.Run(); }
  update::ScheduledTask& Schedule() { return schedule_; }
  guard::BrowserProtection& BrowserProtection() { return browserProtection_; }
  startup::StartupList& Startup() { return startupList_; }
  startup::StartupScanner& StartupScan() { return startupScanner_; }
  watch::CpuWatch& Cpu() { return cpuWatch_; }
  watch::ProcessStatistics& Statistics() { return statistics_; }
  protection::InstantDetection& InstantEvents() { return instant_; }
  // Which roads bring new processes to the verdict: "instant events",
  // "blocking", both, or "refresh only".
  std::string LiveRoads() const;
  // "Block known spyware" on or off; false when the guard could not start
  // (the reason is in the log).
  bool SetBlocking(bool on);
  bool BlockingLive() const { return blocking_.Live(); }
  // Called when the live roads have changed (the terminal prints them).
  void SetOnRoadsChanged(std::function<void(const std::string&)> onChanged) { onRoadsChanged_ = std::move(onChanged); }
  const ui::Ports& Ports() const { return ports_; }
  const std::string& DataFolder() const { return dataFolder_; }
  const CommandLine& Command() const { return commandLine_; }

 private:
  void CreateMainWindow();
  void LoadKnowledgeBase();
  void ScanNewProcess(const std::string& name, std::uint32_t pid, int position);
  std::string UpdateServerAddress();
  // Ends the application: a download under way is cut first.
  void EndApplication();
  bool StartBlocking();

  ui::Ports ports_;
  ShieldServices services_;
  CommandLine commandLine_;
  std::function<void()> terminate_;
  std::string dataFolder_;
  std::string restartProgram_;
  LiveOptions options_;
  log::ShieldLog log_;
  inventory::ProcessList processList_;
  MainCycle cycle_;
  knowledge::KnowledgeBase knowledge_;
  archive::ArchiveExtraction resource_;
  std::unique_ptr<knowledge::ArchiveExtractor> extractor_;
  inventory::FolderValues folders_;
  protection::ExclusionList exclusions_;
  protection::ProcessTermination termination_;
  protection::AlertModel alert_;
  inventory::FileOriginClassifier classifier_;
  protection::ProcessScanner scanner_;
  protection::ProcessDetailsPanel details_;
  startup::StartupList startupList_;
  startup::StartupScanner startupScanner_;
  bool knowledgeLoaded_ = false;
  protection::InstantDetection instant_;
  protection::ExecBlocking blocking_;
  MainWindowModel mainWindow_;
  std::unique_ptr<platform::CpuTimes> ownCpuTimes_;
  watch::CpuWatch cpuWatch_;
  watch::ProcessStatistics statistics_;
  std::unique_ptr<platform::HttpClient> ownHttp_;
  ui::NullDownloadView noDownloadWindow_;
  update::UpdateDownloader downloader_;
  update::RunUpdateCommand runUpdate_;
  update::ScheduledTask schedule_;
  std::function<void(const std::string&)> onRoadsChanged_;
  // A folder value error is logged once per refresh.
  std::uint64_t lastErrorRefresh_ = ~std::uint64_t{0};
  // Last: its monitor threads end before anything they report to goes.
  guard::BrowserProtection browserProtection_;
};

}  // namespace vz::app
