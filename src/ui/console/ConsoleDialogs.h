#pragma once
// Message boxes in the terminal: the caption and text are printed; a question
// is answered at the prompt, by the --answer policy when one is given, or,
// when nobody can answer or the shield is ending, with the choice that
// changes nothing (said so).
#include <optional>

#include "ui/Dialogs.h"
#include "ui/console/ConsoleInput.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class ConsoleDialogs final : public Dialogs {
 public:
  ConsoleDialogs(ConsoleOutput& out, ConsoleInput& in, std::optional<DialogAnswer> policy)
      : out_(out), in_(in), policy_(policy) {}
  DialogAnswer Show(const DialogRequest& request) override;

 private:
  DialogAnswer AskAtPrompt(DialogButtons buttons);

  ConsoleOutput& out_;
  ConsoleInput& in_;
  std::optional<DialogAnswer> policy_;
};

}  // namespace vz::ui::console
