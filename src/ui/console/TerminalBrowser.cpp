#include "ui/console/TerminalBrowser.h"

#include <cstdlib>

#include "platform/Display.h"
#include "platform/Launcher.h"
#include "platform/TerminalProgram.h"

namespace vz::ui::console {

TerminalBrowser::Machine TerminalBrowser::ThisMachine() {
  return Machine{platform::DisplayNamed, platform::HasTerminal,
                 [](const char* name) {
                   const char* value = std::getenv(name);
                   return std::string(value ? value : "");
                 },
                 [](const std::vector<std::string>& argv, std::string* error) {
                   return platform::RunOnTerminal(argv, error);
                 },
                 platform::LaunchWatched};
}

TerminalBrowser::TerminalBrowser(ConsoleOutput& out, TimerFactory& timers, Machine machine)
    : out_(out), machine_(std::move(machine)), desktop_(timers, machine_.launchOpener) {
  desktop_.SetFailureReport([this](const std::string& line) { ReportFailure(line); });
}

void TerminalBrowser::OpenWebPage(const std::string& url) { out_.Line("  open in a web browser: " + url); }

void TerminalBrowser::OpenFolderWindow(const std::string& folder) {
  out_.Line("  folder: " + folder);
  desktop_.OpenFolder(folder);
}

void TerminalBrowser::OpenFileViewer(const std::string& path) {
  out_.Line("  file: " + path);
  if (!machine_.displayNamed() && machine_.hasTerminal()) {
    std::string editor = machine_.environment("VISUAL");
    if (editor.find_first_not_of(" \t") == std::string::npos) editor = machine_.environment("EDITOR");
    std::vector<std::string> argv = platform::EditorCommandWords(editor);
    if (!argv.empty()) {
      argv.push_back(path);
      std::string error;
      if (!machine_.runOnTerminal(argv, &error)) ReportFailure("Could not show the file: " + error);
      return;
    }
  }
  desktop_.OpenFile(path);
}

}  // namespace vz::ui::console
