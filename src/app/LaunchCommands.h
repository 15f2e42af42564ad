#pragma once
// The commands that hand something to another program: the administration
// console, the two log viewers, and the web links of the main window.
#include <functional>
#include <string>
#include <vector>

#include "app/ActionFailures.h"
#include "ui/Browser.h"

namespace vz::app {

inline constexpr const char* kAdminConsoleProgram = "qvadmin";
inline constexpr const char* kDownloadLogFileName = "DW.log";

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
  // "View Vazeru Log" and "View shield log": the shield log of the previous
  // run in the desktop's viewer; nothing happens while there is none.
  void ViewShieldLog();
  // "View Schedule/Download Log": the download log, the same way.
  void ViewDownloadLog();
  void OpenWebLink(WebLink link);

 private:
  ui::Browser& browser_;
  ActionFailures& failures_;
  HiddenLauncher launchHidden_;
};

}  // namespace vz::app
