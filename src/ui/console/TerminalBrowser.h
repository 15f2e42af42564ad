#pragma once
// The opener of the terminal front end. There is no browser in a terminal:
// a web address is printed for the user. Folders and files are printed and
// handed to the desktop's opener; without a display a file is shown in the
// user's editor ($VISUAL, else $EDITOR) on this terminal instead, and the
// shield goes on when the editor ends.
#include <functional>
#include <string>
#include <vector>

#include "ui/Browser.h"
#include "ui/DesktopBrowser.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class TerminalBrowser final : public Browser {
 public:
  // What the choice of viewer depends on; the machine's own by default.
  struct Machine {
    std::function<bool()> displayNamed;
    std::function<bool()> hasTerminal;
    std::function<std::string(const char* name)> environment;
    std::function<bool(const std::vector<std::string>& argv, std::string* error)> runOnTerminal;
    DesktopBrowser::Launch launchOpener;
  };
  static Machine ThisMachine();

  TerminalBrowser(ConsoleOutput& out, TimerFactory& timers, Machine machine = ThisMachine());

 protected:
  void OpenWebPage(const std::string& url) override;
  void OpenFolderWindow(const std::string& folder) override;
  void OpenFileViewer(const std::string& path) override;

 private:
  ConsoleOutput& out_;
  Machine machine_;
  DesktopBrowser desktop_;
};

}  // namespace vz::ui::console
