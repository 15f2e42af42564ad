#pragma once
// The startup page in the terminal: "t" lists the startup entries (read
// afresh), "t check" runs the full scan, "t rm ROW" removes one entry after
// its question.
#include <string>

#include "startup/StartupList.h"
#include "startup/StartupScanner.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class StartupCommands {
 public:
  StartupCommands(ConsoleOutput& out, startup::StartupList& list, startup::StartupScanner& scanner)
      : out_(out), list_(list), scanner_(scanner) {}

  // The text after "t".
  void Run(const std::string& argument);

 private:
  void PrintList();
  void Remove(const std::string& row);

  ConsoleOutput& out_;
  startup::StartupList& list_;
  startup::StartupScanner& scanner_;
};

}  // namespace vz::ui::console
