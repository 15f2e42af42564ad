#pragma once
// Contract: line input from a terminal or pipe: the commands typed while the shield
// runs, and the answers to its questions (standard input by default).
#include <optional>
#include <string>

namespace vz::platform {

class TerminalInput {
 public:
  explicit TerminalInput(int fd = 0);
  // True when someone can type answers (standard input is a terminal or a pipe
  // that has not ended).
  bool Interactive() const { return !ended_ && interactive_; }
  int Descriptor() const { return fd_; }
  bool Ended() const { return ended_; }
  // Reads the next whole line, waiting for it; nullopt at the end of input.
  std::optional<std::string> ReadLine();
  // Reads what is available without waiting; returns complete lines one by one.
  std::optional<std::string> ReadAvailableLine();

 private:
  bool FillOnce();
  std::optional<std::string> TakeLine();

  int fd_;
  bool interactive_;
  bool ended_ = false;
  std::string pending_;
};

}  // namespace vz::platform
