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
#include "app/ShieldLog.h"
#include "inventory/ProcessList.h"
#include "platform/Clock.h"
#include "platform/Processes.h"
#include "ui/Ports.h"

namespace vz::app {

inline constexpr const char* kApplicationTitle = "Orvane shield";
inline constexpr const char* kMainWindowCaption = "Orvane Vazeru";
inline constexpr const char* kLogFileName = "Vazeru.log";

class Shield {
 public:
  Shield(const ui::Ports& ports, platform::ProcessPlatform& processes, CommandLine commandLine,
         std::function<void()> terminateApplication, const platform::Clock& clock = platform::SystemClock());
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
  // Writes the shield log to AppFolder + "Vazeru.log"; false on failure.
  bool SaveLog() const;

  ShieldLog& Log() { return log_; }
  inventory::ProcessList& Processes() { return processList_; }
  MainCycle& Cycle() { return cycle_; }
  LiveOptions& Options() { return options_; }
  const ui::Ports& Ports() const { return ports_; }
  const std::string& DataFolder() const { return dataFolder_; }
  const CommandLine& Command() const { return commandLine_; }

 private:
  void CreateMainWindow();

  ui::Ports ports_;
  CommandLine commandLine_;
  std::function<void()> terminate_;
  const platform::Clock& clock_;
  std::string dataFolder_;
  LiveOptions options_;
  ShieldLog log_;
  inventory::ProcessList processList_;
  MainCycle cycle_;
};

}  // namespace vz::app
