#pragma once
// Captures what the terminal front end prints, for the console tests.
#include <cstdio>
#include <string>

#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class CapturedOutput {
 public:
  CapturedOutput() : file_(std::tmpfile()), out(file_) {}
  ~CapturedOutput() { std::fclose(file_); }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;
  // Everything printed so far.
  std::string Text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0) text.append(buf, n);
    return text;
  }

 private:
  std::FILE* file_;

 public:
  ConsoleOutput out;
};

}  // namespace vz::ui::console
