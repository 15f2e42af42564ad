#include "ui/console/ConsoleAlertView.h"

#include <cctype>
#include <optional>

#include "app/CommandLine.h"
#include "protection/AlertModel.h"

namespace vz::ui::console {

namespace {
const std::string kRule(72, '=');
}

void ConsoleAlertView::PrintBlock(const protection::AlertModel& alert) {
  const protection::AlertFields& f = alert.Fields();
  out_.Line(kRule);
  out_.Line("  " + std::string(protection::kAlertCaption) + "  " + f.title);
  out_.Line("  " + Printable(f.nameLine));
  out_.Line("  Location : " + Printable(f.location));
  // A startup finding's identifier is its row in the startup list (t lists them).
  out_.Line((alert.alertFromStartup ? "  Startup row : " : "  PID : ") + f.identifier);
  std::string description = f.description;
  for (char& c : description)
    if (c == '\r' || c == '\n') c = ' ';
  out_.Line("  " + description);
  if (!f.link.empty()) out_.Line("  More info : " + f.link);
  out_.Line(kRule);
}

void ConsoleAlertView::PrintMenu(const protection::AlertModel& alert) {
  std::string menu = "  ";
  if (alert.KillEnabled()) menu += "k kill process, ";
  if (alert.DeleteEnabled()) menu += "d delete file, ";
  if (alert.RemoveStartupVisible()) menu += "r remove startup, ";
  menu += "o open folder, x exclude, m more info, ";
  if (!alert.Fields().link.empty()) menu += "l open link, ";
  menu += "c close";
  out_.Line(menu);
}

bool ConsoleAlertView::RunCommand(protection::AlertModel& alert, char command) {
  switch (command) {
    case 'k':
      if (!alert.KillEnabled()) return false;
      alert.KillProcess();
      out_.Line(alert.KillEnabled() ? "  the process was not ended" : "  process ended");
      return true;
    case 'd':
      if (!alert.DeleteEnabled()) return false;
      alert.DeleteProgramFile();
      return true;
    case 'r':
      if (!alert.RemoveStartupVisible()) return false;
      alert.RemoveStartup();
      return true;
    case 'o': alert.OpenContainingFolder(); return true;
    case 'x':
      alert.AddToExcludeList();
      out_.Line("  added to the exclusion list: " + alert.Fields().location);
      return true;
    case 'm': alert.MoreInfo(); return true;
    case 'l': alert.OpenLink(); return true;
    case 'c': alert.Close(); return true;
    default: return false;
  }
}

void ConsoleAlertView::ApplyPolicy(protection::AlertModel& alert) {
  if (policy_.empty()) {
    out_.Line("  (nobody to ask: alert closed)");
    alert.Close();
    return;
  }
  // Each action in order, where this alert offers it; the alert closes after the last.
  for (const std::string& action : app::AlertActions(policy_)) {
    if (!showing_) break;
    const std::string said = "  --on-alert=" + action;
    if (action == "kill") {
      if (!alert.KillEnabled()) {
        out_.Line(said + ": not offered by this alert");
        continue;
      }
      out_.Line(said + ": ending the process");
      RunCommand(alert, 'k');
    } else if (action == "delete") {
      if (!alert.DeleteEnabled()) {
        out_.Line(said + ": not offered by this alert");
        continue;
      }
      out_.Line(said + (alert.KillEnabled() ? ": ending the process and deleting its file" : ": deleting the file"));
      RunCommand(alert, 'd');
    } else if (action == "remove") {
      if (!alert.RemoveStartupVisible()) {
        out_.Line(said + ": not offered by this alert");
        continue;
      }
      out_.Line(said + ": removing the startup entry");
      RunCommand(alert, 'r');
      if (alert.RemoveStartupVisible()) out_.Line("  the startup entry was not removed");
    } else if (action == "exclude") {
      out_.Line(said);
      RunCommand(alert, 'x');
    } else {
      out_.Line(said + ": alert closed");
      alert.Close();
    }
  }
  if (showing_) alert.Close();
}

void ConsoleAlertView::ShowModal(protection::AlertModel& alert) {
  showing_ = true;
  ConsoleInput::Owner owner(in_);
  PrintBlock(alert);
  if (!policy_.empty() || !in_.Interactive()) {
    ApplyPolicy(alert);
    showing_ = false;
    return;
  }
  while (showing_) {
    std::optional<std::string> line;
    if (!in_.Ending()) {
      PrintMenu(alert);
      out_.Prompt("  alert> ");
      line = in_.ReadAnswer();
    }
    if (!line) {
      out_.Line(in_.Ending() ? "  (ending: alert closed)" : "  (input ended: alert closed)");
      alert.Close();
      break;
    }
    size_t i = line->find_first_not_of(' ');
    char command = i == std::string::npos ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>((*line)[i])));
    if (!RunCommand(alert, command)) out_.Line("  not an action of this alert");
  }
  showing_ = false;
}

void ConsoleAlertView::ShowAgain(protection::AlertModel& alert) {
  out_.Line("  the alert now shows:");
  PrintBlock(alert);
}

}  // namespace vz::ui::console
