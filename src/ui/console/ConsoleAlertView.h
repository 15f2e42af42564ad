#pragma once
// The alert in the terminal: a framed block with what was found, then a menu
// of the alert's actions read at the prompt; while it is open, everything
// typed is for it. Unattended (--on-alert) the given actions are taken on
// every alert, in order, each where the alert offers it; with nobody to ask
// and no policy, or when the shield is ending, the alert is closed, and that
// is said.
#include <string>

#include "ui/AlertView.h"
#include "ui/console/ConsoleInput.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class ConsoleAlertView final : public AlertView {
 public:
  ConsoleAlertView(ConsoleOutput& out, ConsoleInput& in, std::string policy)
      : out_(out), in_(in), policy_(std::move(policy)) {}

  bool IsShowing() const override { return showing_; }
  void ShowModal(protection::AlertModel& alert) override;
  void ShowAgain(protection::AlertModel& alert) override;
  void Close() override { showing_ = false; }
  void BringToFront() override {}

 private:
  void PrintBlock(const protection::AlertModel& alert);
  void PrintMenu(const protection::AlertModel& alert);
  void ApplyPolicy(protection::AlertModel& alert);
  // Runs one typed command; false when it is not a command of the menu.
  bool RunCommand(protection::AlertModel& alert, char command);

  ConsoleOutput& out_;
  ConsoleInput& in_;
  std::string policy_;
  bool showing_ = false;
};

}  // namespace vz::ui::console
