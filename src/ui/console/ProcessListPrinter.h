#pragma once
// Prints the process list in the terminal: the whole list after the first
// rebuild (or on request), then one line for each process that appears or
// disappears.
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "inventory/ProcessTable.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class ProcessListPrinter {
 public:
  ProcessListPrinter(ConsoleOutput& out, bool quiet) : out_(out), quiet_(quiet) {}
  // After each rebuild of the table.
  void Rebuilt(const inventory::ProcessTable& table);
  // The whole list again.
  void PrintAll(const inventory::ProcessTable& table);

  static std::string Format(const inventory::ProcessRow& row);

 private:
  using Key = std::pair<std::string, std::uint64_t>;  // identifier, start time
  ConsoleOutput& out_;
  bool quiet_;
  bool printedOnce_ = false;
  std::map<Key, inventory::ProcessRow> known_;
};

}  // namespace vz::ui::console
