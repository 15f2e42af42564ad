#pragma once
// An exec guard the test drives: it refuses to start when told to (as
// without CAP_SYS_ADMIN), and puts the attempts the test makes to the
// decision as the guard's thread would.
#include <string>

#include "platform/ExecGuard.h"

namespace vz::platform::testing {

class ScriptedExecGuard final : public ExecGuard {
 public:
  std::string refusal;  // non-empty: Start fails with this text
  int startCalls = 0;
  bool Running() const { return running_; }

  bool Start(Settings settings, std::string& errorText) override {
    ++startCalls;
    if (!refusal.empty()) {
      errorText = refusal;
      return false;
    }
    settings_ = std::move(settings);
    running_ = true;
    return true;
  }
  void Stop() override { running_ = false; }

  // True when the program may run (always, when the guard is not running).
  bool Attempt(Pid pid, const std::string& path) {
    if (!running_ || !settings_.decide) return true;
    ExecAttempt attempt{pid, path};
    if (settings_.decide(attempt)) return true;
    if (settings_.onDenied) settings_.onDenied(attempt);
    return false;
  }

 private:
  Settings settings_;
  bool running_ = false;
};

}  // namespace vz::platform::testing
