#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

void ConsoleOutput::Line(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void ConsoleOutput::Prompt(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
}

}  // namespace vz::ui::console
