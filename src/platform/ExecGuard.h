#pragma once
// Contract: a guard that sees each attempt to run a program file before it
// runs, and may refuse it. Safety comes first: any error, a decision slower
// than the time limit, or the guard ending means the program runs.
#include <functional>
#include <string>

#include "platform/Processes.h"

namespace vz::platform {

struct ExecAttempt {
  Pid pid = 0;        // the process that asked to run the file
  std::string path;   // the program file, as the kernel names it
};

class ExecGuard {
 public:
  struct Settings {
    // Called on the guard's own thread for each attempt; true lets it run.
    // Must never wait on the user-interface thread.
    std::function<bool(const ExecAttempt&)> decide;
    // Called on the guard's thread after an attempt was refused.
    std::function<void(const ExecAttempt&)> onDenied;
    // An attempt not decided within this time runs.
    int timeLimitMs = 50;
  };

  virtual ~ExecGuard() = default;
  // Starts guarding every mounted file system where programs can run, and
  // those mounted later. False with errorText when the kernel refuses
  // (it needs CAP_SYS_ADMIN).
  virtual bool Start(Settings settings, std::string& errorText) = 0;
  // Ends the guard; every attempt still waiting runs. Safe to call twice.
  virtual void Stop() = 0;
};

}  // namespace vz::platform
