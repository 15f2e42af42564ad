#pragma once
// Message boxes at the terminal: texts go to stderr, questions are answered
// on stdin, or by a fixed policy (--yes, --no). With no terminal and no policy
// the safe answer is taken, and the program says so.
#include "ui/Dialogs.h"

namespace vz::pack {

enum class AnswerPolicy { Ask, Yes, No };

class TerminalDialogs final : public ui::Dialogs {
 public:
  explicit TerminalDialogs(AnswerPolicy policy);
  ui::DialogAnswer Show(const ui::DialogRequest& request) override;
  int messagesShown = 0;

 private:
  ui::DialogAnswer Ask(const ui::DialogRequest& request);
  AnswerPolicy policy_;
  bool interactive_;
};

}  // namespace vz::pack
