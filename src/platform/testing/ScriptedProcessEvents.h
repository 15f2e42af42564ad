#pragma once
// A process event source the test drives: it refuses to start when told to
// (as without CAP_NET_ADMIN), and hands the events the test emits to the
// handlers on the test's thread.
#include <string>

#include "platform/ProcessEvents.h"

namespace vz::platform::testing {

class ScriptedProcessEvents final : public ProcessEventSource {
 public:
  // Non-empty: Start fails with this text.
  std::string refusal;
  int startCalls = 0;
  bool Running() const { return running_; }

  bool Start(Handlers handlers, std::string& errorText) override;
  void Stop() override { running_ = false; }

  // Delivered only while running, as the kernel delivers to a subscriber.
  void EmitStart(const ProcessStart& start);
  void EmitExit(Pid pid);
  void EmitLost();

 private:
  Handlers handlers_;
  bool running_ = false;
};

}  // namespace vz::platform::testing
