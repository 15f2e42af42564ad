#include "app/LaunchCommands.h"

#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"

namespace vz::app {

namespace {

constexpr const char* kLogFile = "Vazeru.log";
constexpr const char* kDownloadLogFile = "DW.log";

}  // namespace

std::string WebLinkAddress(WebLink link) {
  switch (link) {
    case WebLink::Forum: return "https://orvane.example/forum/";
    case WebLink::MakerSite: return "https://orvane.example/";
    case WebLink::AuthorSite: return "https://vazeru.orvane.example/";
  }
  return {};
}

LaunchCommands::LaunchCommands(ui::Browser& browser, ActionFailures& failures)
    : browser_(browser),
      failures_(failures),
      launchHidden_([](const std::vector<std::string>& argv, std::string& error) {
        return platform::LaunchHidden(argv, &error);
      }) {}

void LaunchCommands::LaunchAdminConsole() {
  std::string error;
  if (launchHidden_ && !launchHidden_({platform::CompanionProgramFolder() + kAdminConsoleProgram}, error))
    failures_.Report("Could not start the admin console: " + error);
}

namespace {

void ViewLogFile(ui::Browser& browser, const std::string& name) {
  std::string path = platform::AppFolder() + name;
  if (platform::FileExists(path)) browser.OpenFile(path);
}

}  // namespace

void LaunchCommands::ViewShieldLog() { ViewLogFile(browser_, kLogFile); }

void LaunchCommands::ViewDownloadLog() { ViewLogFile(browser_, kDownloadLogFileName); }

void LaunchCommands::OpenWebLink(WebLink link) { browser_.Open(WebLinkAddress(link)); }

}  // namespace vz::app
