#pragma once
// An action that could not be done (a program that did not start, a link the
// desktop could not open): one line in the shield log, and the same text in
// the status bar's "Last action" panel.
#include <string>

#include "log/ShieldLog.h"
#include "ui/MainWindowView.h"

namespace vz::app {

class ActionFailures {
 public:
  ActionFailures(log::ShieldLog& log, ui::MainWindowView& view) : log_(log), view_(view) {}

  void Report(const std::string& line) {
    log_.WriteShieldLog(line);
    view_.SetStatusPanel(3, line);
  }

 private:
  log::ShieldLog& log_;
  ui::MainWindowView& view_;
};

}  // namespace vz::app
