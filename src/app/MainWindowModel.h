#pragma once
// The main window's behaviour, without the window, composed of one small
// class per concern: the tray icon and menu, the live options, the info panel,
// showing and hiding, the shield's own Run entry, and the commands that start
// other programs. This class only builds them, runs the window's creation
// steps, navigates and routes the tray menu's commands. A front end shows
// what the parts tell the MainWindowView and forwards each click to the part
// it concerns. New main window features get a part of their own here (the
// startup page, the update commands, the system watch panels).
#include <functional>

#include "app/ActionFailures.h"
#include "app/InfoPanel.h"
#include "app/LaunchCommands.h"
#include "app/LiveOptionSwitches.h"
#include "app/LiveOptions.h"
#include "app/OwnAutostartEntry.h"
#include "app/TrayMenu.h"
#include "app/WindowVisibility.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "log/ShieldLog.h"
#include "platform/Registry.h"
#include "ui/Ports.h"

namespace vz::app {

// The buttons of "Vazeru Options"; those whose work belongs to a subsystem
// that is not there yet are shown disabled.
enum class OptionsButton { StartOnSystemStartup, RemoveFromSystemStartup, ViewDownloadLog, RunUpdateNow, ViewShieldLog };
bool OptionsButtonAvailable(OptionsButton button);

class MainWindowModel {
 public:
  MainWindowModel(const ui::Ports& ports, LiveOptions& options, log::ShieldLog& log,
                  inventory::ProcessList& processes, const knowledge::KnowledgeBase& knowledge,
                  platform::RegistryStore& registry, std::function<void()> exitApplication);

  // The window's creation: the tray icon, the "Process" page, the tray check
  // marks and watch panels as the options stand.
  void OnCreate();

  // Navigation.
  void Navigate(ui::Page page);
  // F5 on the process list: the list is rebuilt now.
  void RefreshProcessList();
  // A tray menu command, handed to the part it concerns.
  void RunTrayCommand(TrayCommand command);
  // "Exit Vazeru": removes the tray icon and ends the application.
  void ExitVazeru();
  // "Run update now" and the menu's "Run Update", handed to the update command.
  void SetRunUpdateNow(std::function<void()> command) { runUpdateNow_ = std::move(command); }
  void RunUpdateNow() {
    if (runUpdateNow_) runUpdateNow_();
  }

  TrayMenu& Tray() { return tray_; }
  LiveOptionSwitches& Switches() { return switches_; }
  InfoPanel& Info() { return info_; }
  WindowVisibility& Visibility() { return visibility_; }
  OwnAutostartEntry& Autostart() { return autostart_; }
  LaunchCommands& Launch() { return launch_; }
  ActionFailures& Failures() { return failures_; }

 private:
  ui::MainWindowView& view_;
  inventory::ProcessList& processes_;
  const knowledge::KnowledgeBase& knowledge_;
  std::function<void()> exitApplication_;
  std::function<void()> runUpdateNow_;
  ActionFailures failures_;
  TrayMenu tray_;
  LiveOptionSwitches switches_;
  InfoPanel info_;
  WindowVisibility visibility_;
  OwnAutostartEntry autostart_;
  LaunchCommands launch_;
};

}  // namespace vz::app
