#include "ui/console/ProcessListPrinter.h"

#include <cstdio>

namespace vz::ui::console {

std::string ProcessListPrinter::Format(const inventory::ProcessRow& row) {
  char head[96];
  std::snprintf(head, sizeof head, "%8s  %-24s %-12s ", row.identifier.c_str(), row.name.c_str(), row.priority.c_str());
  return head + row.path;
}

void ProcessListPrinter::PrintAll(const inventory::ProcessTable& table) {
  out_.Line("     PID  NAME                     PRIORITY     PATH");
  for (int i = 0; i < table.RowCount(); ++i) out_.Line(Format(table.Row(i)));
  out_.Line("  (" + std::to_string(table.RowCount()) + " processes)");
}

void ProcessListPrinter::Rebuilt(const inventory::ProcessTable& table) {
  std::map<Key, inventory::ProcessRow> now;
  for (int i = 0; i < table.RowCount(); ++i) {
    const auto& row = table.Row(i);
    now.emplace(Key{row.identifier, row.startTime}, row);
  }
  if (!quiet_) {
    if (!printedOnce_) {
      PrintAll(table);
    } else {
      for (const auto& [key, row] : known_)
        if (!now.count(key)) out_.Line("- " + Format(row));
      for (const auto& [key, row] : now)
        if (!known_.count(key)) out_.Line("+ " + Format(row));
    }
  }
  printedOnce_ = true;
  known_.swap(now);
}

}  // namespace vz::ui::console
