#pragma once
// The commands that hand something to another program: the administration
// console, the shield log in the desktop's viewer, and the web links of the
// main window. The later log viewers belong here too.
#include <functional>
#include <string>
#include <vector>

#include "app/ActionFailures.h"
#include "ui/Browser.h"

namespace vz::app {

inline constexpr const char* kAdminConsoleProgram = "qvadmin";

enum class WebLink { Forum, MakerSite, AuthorSite };
std::string WebLinkAddress(WebLink link);

class LaunchCommands {
 public:
  // Starts a program without a window: false with the reason.
  using HiddenLauncher = std::function<bool(const std::vector<std::string>& argv, std::string& error)>;

  // The platform's launcher unless SetHiddenLauncher replaces it (tests).
  LaunchCommands(ui::Browser& browser, ActionFailures& failures);

  void SetHiddenLauncher(HiddenLauncher launcher) { launchHidden_ = std::move(launcher); }

  // "Launce Admin Console" and "Launch Admin Consol"; a console that cannot
  // be started is reported.
  void LaunchAdminConsole();
  // "View Vazeru Log" and "View shield log": the log file in the desktop's viewer.
  void ViewShieldLog();
  // "View Schedule/Download Log": "DW.log" the same way.
  void ViewDownloadLog();
  void OpenWebLink(WebLink link);

 private:
  ui::Browser& browser_;
  ActionFailures& failures_;
  HiddenLauncher launchHidden_;
};

}  // namespace vz::app
