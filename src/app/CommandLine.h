#pragma once
// The shield's command line. Only argument 1 decides a restart ("Restart",
// exact case); the options after it are the front end's and are passed on
// unchanged when the shield restarts itself.
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialogs.h"

namespace vz::app {

struct CommandLine {
  bool restart = false;
  bool console = false;                     // --console: terminal front end even with a display
  bool quiet = false;                       // --quiet: no process lines in the terminal
  bool help = false;                        // --help: print the usage and end
  bool noJournal = false;                   // --no-journal: nothing goes to the system journal
  std::optional<ui::DialogAnswer> answer;   // --answer=yes|no|cancel|ok
  std::string onAlert;                      // --on-alert=ACTION[,ACTION...]: close, kill, delete, exclude, remove
  std::string appFolder;                    // --app-folder DIR
  bool noEvents = false;                    // --no-events: new processes found by the refresh alone
  bool block = false;                       // --block: known spyware is refused before it runs
  std::vector<std::string> options;         // everything after a leading "Restart", as given
  std::string error;                        // set when an option is not understood
};

// The actions of an --on-alert list, in order ("kill,delete" -> kill, delete).
std::vector<std::string> AlertActions(const std::string& onAlert);

CommandLine ParseCommandLine(const std::vector<std::string>& args);  // args without argv[0]
std::string UsageText();

// The arguments of the restarted process: "Restart" followed by the same options.
std::vector<std::string> RestartArguments(const CommandLine& commandLine);

}  // namespace vz::app
