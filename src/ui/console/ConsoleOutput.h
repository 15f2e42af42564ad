#pragma once
// Line output of the terminal front end. Every line is written whole and
// flushed at once, so a reader of a pipe sees it immediately.
#include <cstdio>
#include <string>

namespace vz::ui::console {

// Text from files others may write (a startup entry's name or command), with
// every control character shown as "?": it cannot move the cursor, clear the
// screen or hide a line of the terminal.
std::string Printable(const std::string& text);

class ConsoleOutput {
 public:
  explicit ConsoleOutput(std::FILE* out = stdout) : out_(out) {}
  void Line(const std::string& text);
  // Text without a line end (a prompt).
  void Prompt(const std::string& text);

 private:
  std::FILE* out_;
};

}  // namespace vz::ui::console
