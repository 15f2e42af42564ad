#pragma once
// Contract: line input from a terminal or pipe: the commands typed while the shield
// runs, and the answers to its questions (standard input by default).
#include <optional>
#include <string>

#include "platform/Waitable.h"

namespace vz::platform {

class TerminationSignals;

class TerminalInput {
 public:
  // Standard input.
  TerminalInput();
  // Another source of lines (invalid: nobody types).
  explicit TerminalInput(Waitable source);
  // True when someone can type answers (standard input is a terminal or a pipe
  // that has not ended).
  bool Interactive() const { return !ended_ && interactive_; }
  Waitable WaitHandle() const { return source_; }
  bool Ended() const { return ended_; }
  // Reads the next whole line, waiting for it; nullopt at the end of input.
  // Given termination signals, the wait also ends (nullopt, Ended() still false)
  // as soon as one of them is pending; it is left pending for its owner.
  std::optional<std::string> ReadLine(const TerminationSignals* interruption = nullptr);
  // Reads what is available without waiting; returns complete lines one by one.
  std::optional<std::string> ReadAvailableLine();
  // True when a line can be taken without reading more (typed ahead earlier).
  bool HasBufferedLine() const;

 private:
  bool FillOnce();
  std::optional<std::string> TakeLine();

  Waitable source_;
  bool interactive_;
  bool ended_ = false;
  std::string pending_;
};

}  // namespace vz::platform
