#include "ui/console/ConsoleInput.h"

namespace vz::ui::console {

std::optional<std::string> ConsoleInput::ReadAnswer() {
  if (Ending()) return std::nullopt;
  platform::TerminationSignals* interruption = loop_ ? termination_ : nullptr;
  auto line = in_.ReadLine(interruption);
  if (!line && !in_.Ended() && interruption) {
    // A termination signal: the shield ends as on "Exit Vazeru".
    interruption->Drain();
    loop_->Quit(0);
  }
  return line;
}

std::optional<std::string> ConsoleInput::NextCommand() {
  if (Owned()) return std::nullopt;
  return in_.ReadAvailableLine();
}

void ConsoleInput::Release() {
  if (--owners_ == 0 && onReleased_) onReleased_();
}

}  // namespace vz::ui::console
