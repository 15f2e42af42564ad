#include "app/ShieldProgram.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/MainBlock.h"
#include "log/JournalSink.h"
#include "platform/AppFolder.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/PathConventions.h"
#include "platform/Registry.h"
#include "platform/SingleInstance.h"
#include "platform/SystemJournal.h"
#include "platform/linux/FanotifyExecGuard.h"
#include "platform/linux/ProcConnectorEvents.h"
#include "platform/linux/ProcfsProcesses.h"
#include "ui/console/ConsoleFrontEnd.h"

#ifdef VAZERU_WITH_QT
#include <QApplication>

#include "platform/TerminationSignals.h"
#include "ui/qt/QtFrontEnd.h"
#endif

namespace {

// The program's folder given on the command line, made absolute so that a
// restarted shield (which starts in "/") finds the same folder.
bool ApplyAppFolder(vz::app::CommandLine& cmd) {
  if (cmd.appFolder.empty()) return true;
  std::string absolute = vz::platform::AbsolutePath(cmd.appFolder);
  if (!vz::platform::FolderExists(absolute)) {
    std::fprintf(stderr, "qvshield: --app-folder: '%s' is not a folder\n", cmd.appFolder.c_str());
    return false;
  }
  std::string original = cmd.appFolder;
  cmd.appFolder = absolute;
  for (size_t i = 0; i < cmd.options.size(); ++i) {
    if (cmd.options[i] == "--app-folder" && i + 1 < cmd.options.size() && cmd.options[i + 1] == original)
      cmd.options[i + 1] = cmd.appFolder;
    else if (cmd.options[i] == "--app-folder=" + original)
      cmd.options[i] = "--app-folder=" + cmd.appFolder;
  }
  vz::platform::SetAppFolderOverride(cmd.appFolder);
  return true;
}

#ifdef VAZERU_WITH_QT
// The windows where a display can be reached; the terminal otherwise, with a
// word on why when a display was named but could not be reached.
bool UseWindows(const vz::app::CommandLine& cmd) {
  if (cmd.console || !vz::platform::DisplayNamed()) return false;
  std::string whyNot;
  if (vz::platform::DisplayReachable(&whyNot)) return true;
  std::fprintf(stderr, "qvshield: %s; running in the terminal\n", whyNot.c_str());
  return false;
}

// The shield with its windows. The application object exists before anything
// is shown, the "already running" box included.
int RunWithWindows(const vz::app::CommandLine& cmd, int argc, char** argv, const vz::app::ShieldServices& services,
                   vz::platform::InstanceRegion& region, const vz::app::ProgramAdditions& additions) {
  // Before Qt starts its threads, so that they inherit the blocked signals.
  auto termination = vz::platform::WatchTerminationSignals();
  QApplication application(argc, argv);
  vz::ui::qt::QtFrontEnd::Options options;
  options.terminationSignals = termination.get();
  options.onAttached = additions.onWindowsAttached;
  vz::ui::qt::QtFrontEnd frontEnd(options);
  return vz::app::RunMainBlock(cmd, frontEnd, services, region);
}
#endif

}  // namespace

namespace vz::app {

int RunShieldProgram(int argc, char** argv, const ProgramAdditions& additions) {
  std::vector<std::string> args(argv + 1, argv + argc);
  vz::app::CommandLine cmd = vz::app::ParseCommandLine(args);
  if (!cmd.error.empty()) {
    std::fprintf(stderr, "qvshield: %s\n%s", cmd.error.c_str(), vz::app::UsageText().c_str());
    return 2;
  }
  if (cmd.help) {
    std::fputs(vz::app::UsageText().c_str(), stdout);
    return 0;
  }
  // Every location is made absolute once, here: the shield never changes its
  // working folder, and a restarted one starts in "/".
  if (!ApplyAppFolder(cmd)) return 2;
  vz::platform::MakeLocationOverridesAbsolute();

  vz::platform::ReapChildrenAutomatically();
  auto processes = vz::platform::CreateProcfsProcessPlatform();
  auto registry = vz::platform::OpenSystemRegistry();
  auto region = vz::platform::CreateInstanceRegion();
  vz::app::ShieldServices services{*processes, *registry, vz::platform::HostPathConventions()};
  // Every shield log line also goes to the system journal, unless --no-journal.
  std::unique_ptr<vz::platform::SystemJournal> journal;
  std::unique_ptr<vz::log::JournalSink> journalSink;
  if (!cmd.noJournal) {
    journal = vz::platform::OpenSystemJournal();
    journalSink = std::make_unique<vz::log::JournalSink>(*journal);
    services.logSink = journalSink.get();
  }
  // Process events unless turned off for comparison; the shield stops the
  // source before it goes, the source outlives it here.
  std::unique_ptr<vz::platform::ProcessEventSource> processEvents;
  if (!cmd.noEvents) {
    processEvents = vz::platform::CreateProcConnectorEventSource();
    services.processEvents = processEvents.get();
  }
  auto execGuard = vz::platform::CreateFanotifyExecGuard();
  services.execGuard = execGuard.get();

#ifdef VAZERU_WITH_QT
  if (UseWindows(cmd)) return RunWithWindows(cmd, argc, argv, services, *region, additions);
#else
  (void)additions;
#endif
  // Without a display (or with --console) the shield runs in the terminal.
  vz::ui::console::ConsoleFrontEnd frontEnd(cmd);
  return vz::app::RunMainBlock(cmd, frontEnd, services, *region);
}

}  // namespace vz::app
