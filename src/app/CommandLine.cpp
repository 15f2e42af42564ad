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

}  // namespace

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
      if (cmd.onAlert != "close" && cmd.onAlert != "kill" && cmd.onAlert != "delete" && cmd.onAlert != "exclude")
        cmd.error = "unknown alert action '" + cmd.onAlert + "' (close, kill, delete or exclude)";
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
         "                [--on-alert=close|kill|delete|exclude] [--app-folder DIR]\n"
         "                [--no-events] [--block]\n"
         "       qvshield --help\n";
}

std::vector<std::string> RestartArguments(const CommandLine& commandLine) {
  std::vector<std::string> args{"Restart"};
  args.insert(args.end(), commandLine.options.begin(), commandLine.options.end());
  return args;
}

}  // namespace vz::app
