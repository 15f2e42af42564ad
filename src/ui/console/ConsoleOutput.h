#pragma once
// Line output of the terminal front end. Every line is written whole and
// flushed at once, so a reader of a pipe sees it immediately.
#include <cstdio>
#include <string>

namespace vz::ui::console {

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
