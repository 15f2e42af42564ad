#include "ui/console/StartupCommands.h"

#include <cstdlib>

#include "knowledge/TextFields.h"

namespace vz::ui::console {

void StartupCommands::PrintList() {
  list_.RefreshStartupList();
  if (list_.RowCount() == 0) {
    out_.Line("  no startup entries");
    return;
  }
  for (int row = 0; row < list_.RowCount(); ++row)
    out_.Line("  " + std::to_string(row) + "  " + Printable(list_.Cell(0, row)) + "  |  " +
              Printable(list_.Cell(1, row)) + "  |  " + list_.Cell(2, row));
}

void StartupCommands::Remove(const std::string& text) {
  const std::string row(knowledge::TrimBlanks(text));
  char* end = nullptr;
  const long number = row.empty() ? -1 : std::strtol(row.c_str(), &end, 10);
  if (row.empty() || *end != '\0' || number < 0 || number >= list_.RowCount()) {
    out_.Line("  no startup entry in row '" + Printable(row) + "' (t lists them)");
    return;
  }
  list_.SelectRow(static_cast<int>(number));
  const std::string name = list_.Cell(0, static_cast<int>(number));
  const int before = list_.RowCount();
  list_.RemoveStartupEntry();
  // The list was read again after OK; the same count means nothing went.
  if (list_.RowCount() < before) out_.Line("  removed: " + Printable(name));
}

void StartupCommands::Run(const std::string& argument) {
  const std::string command(knowledge::TrimBlanks(argument));
  if (command.empty()) {
    PrintList();
  } else if (command == "check") {
    scanner_.CheckStartupPrograms();
  } else if (command.rfind("rm", 0) == 0 && (command.size() == 2 || command[2] == ' ')) {
    Remove(command.substr(2));
  } else {
    out_.Line("  unknown startup command 't " + command + "' (t, t check, t rm ROW)");
  }
}

}  // namespace vz::ui::console
