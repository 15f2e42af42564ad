#include "app/MainWindowModel.h"

#include "app/ProgramInfoText.h"

namespace vz::app {

bool OptionsButtonAvailable(OptionsButton) { return true; }

MainWindowModel::MainWindowModel(const ui::Ports& ports, LiveOptions& options, log::ShieldLog& log,
                                 inventory::ProcessList& processes, const knowledge::KnowledgeBase& knowledge,
                                 platform::RegistryStore& registry, std::function<void()> exitApplication)
    : view_(*ports.mainWindow),
      processes_(processes),
      knowledge_(knowledge),
      exitApplication_(std::move(exitApplication)),
      failures_(log, *ports.mainWindow),
      tray_(*ports.mainWindow, log),
      switches_(options, *ports.mainWindow, tray_),
      info_(*ports.mainWindow, *ports.timers),
      visibility_(*ports.mainWindow, *ports.alert, info_, processes, knowledge),
      autostart_(registry),
      launch_(*ports.browser, failures_) {}

void MainWindowModel::OnCreate() {
  tray_.AddIcon();
  view_.ShowPage(ui::Page::Process);
  switches_.ShowAsTheyStand();
  view_.SetProgramInfo(CurrentProgramInfo(knowledge_));
}

void MainWindowModel::Navigate(ui::Page page) { view_.ShowPage(page); }

void MainWindowModel::RefreshProcessList() {
  processes_.SetForceRefresh(true);
  processes_.RefreshProcessList();
}

void MainWindowModel::RunTrayCommand(TrayCommand command) {
  switch (command) {
    case TrayCommand::ShowVazeru: visibility_.ShowVazeru(); break;
    case TrayCommand::LiveScanProcesses: switches_.TrayOptionClicked(ui::LiveOption::LiveScanProcesses); break;
    case TrayCommand::LiveScanStartups: switches_.TrayOptionClicked(ui::LiveOption::LiveScanStartups); break;
    case TrayCommand::BlockKnownSpyware: switches_.TrayOptionClicked(ui::LiveOption::BlockKnownSpyware); break;
    case TrayCommand::ViewLog: launch_.ViewShieldLog(); break;
    case TrayCommand::Separator: break;
    case TrayCommand::LaunchAdminConsole: launch_.LaunchAdminConsole(); break;
    case TrayCommand::ExitVazeru: ExitVazeru(); break;
  }
}

void MainWindowModel::ExitVazeru() {
  tray_.RemoveIcon();
  if (exitApplication_) exitApplication_();
}

}  // namespace vz::app
