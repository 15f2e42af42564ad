#include "app/CommandLine.h"

namespace vz::app {

namespace {

std::optional<ui::DialogAnswer> ParseAnswer(const std::string& text) {
  if (text == "yes") return ui::DialogAnswer::Yes;
  if (text == "no") return ui::DialogAnswer::No;
  if (text == "cancel") return ui::DialogAnswer::Cancel;
  if (text == "ok") return ui::DialogAnswer::Ok;
  return std::nullopt;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool IsAlertAction(const std::string& action) {
  return action == "close" || action == "kill" || action == "delete" || action == "exclude" || action == "remove";
}

}  // namespace

std::vector<std::string> AlertActions(const std::string& onAlert) {
  std::vector<std::string> actions;
  std::size_t start = 0;
  while (start <= onAlert.size()) {
    std::size_t comma = onAlert.find(',', start);
    if (comma == std::string::npos) comma = onAlert.size();
    actions.push_back(onAlert.substr(start, comma - start));
    start = comma + 1;
  }
  return actions;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cmd;
  size_t first = 0;
  if (!args.empty() && args[0] == "Restart") {
    cmd.restart = true;
    first = 1;
  }
  cmd.options.assign(args.begin() + static_cast<std::ptrdiff_t>(first), args.end());
  for (size_t i = 0; i < cmd.options.size(); ++i) {
    const std::string& a = cmd.options[i];
    if (a == "--console") {
      cmd.console = true;
    } else if (a == "--quiet") {
      cmd.quiet = true;
    } else if (a == "--no-journal") {
      cmd.noJournal = true;
    } else if (a == "--no-events") {
      cmd.noEvents = true;
    } else if (a == "--block") {
      cmd.block = true;
    } else if (a == "--help") {
      cmd.help = true;
    } else if (StartsWith(a, "--answer=")) {
      cmd.answer = ParseAnswer(a.substr(9));
      if (!cmd.answer) cmd.error = "unknown answer '" + a.substr(9) + "' (yes, no, cancel or ok)";
    } else if (StartsWith(a, "--on-alert=")) {
      cmd.onAlert = a.substr(11);
      for (const std::string& action : AlertActions(cmd.onAlert)) {
        if (IsAlertAction(action)) continue;
        cmd.error = "unknown alert action '" + action + "' (close, kill, delete, exclude or remove, separated by commas)";
        break;
      }
    } else if (StartsWith(a, "--app-folder=")) {
      cmd.appFolder = a.substr(13);
    } else if (a == "--app-folder") {
      if (i + 1 < cmd.options.size()) {
        cmd.appFolder = cmd.options[++i];
      } else {
        cmd.error = "--app-folder needs a folder";
      }
    } else if (i == 0 && !StartsWith(a, "--")) {
      // Argument 1 that is not "Restart" (e.g. "restart"): a normal start.
    } else {
      cmd.error = "unknown option '" + a + "'";
    }
    if (!cmd.error.empty()) break;
  }
  return cmd;
}

std::string UsageText() {
  return "usage: qvshield [Restart] [--console] [--quiet] [--answer=yes|no|cancel|ok]\n"
         "                [--on-alert=ACTION[,ACTION...]] [--app-folder DIR] [--no-journal]\n"
         "                [--no-events] [--block]\n"
         "       qvshield --help\n"
         "ACTION: close, kill, delete, exclude or remove (a startup entry); each is\n"
         "taken in order where the alert offers it\n";
}

std::vector<std::string> RestartArguments(const CommandLine& commandLine) {
  std::vector<std::string> args{"Restart"};
  args.insert(args.end(), commandLine.options.begin(), commandLine.options.end());
  return args;
}

}  // namespace vz::app
