#include "platform/testing/ScriptedProcessEvents.h"

namespace vz::platform::testing {

bool ScriptedProcessEvents::Start(Handlers handlers, std::string& errorText) {
  ++startCalls;
  if (!refusal.empty()) {
    errorText = refusal;
    return false;
  }
  handlers_ = std::move(handlers);
  running_ = true;
  return true;
}

void ScriptedProcessEvents::EmitStart(const ProcessStart& start) {
  if (running_ && handlers_.onStart) handlers_.onStart(start);
}

void ScriptedProcessEvents::EmitExit(Pid pid) {
  if (running_ && handlers_.onExit) handlers_.onExit(pid);
}

void ScriptedProcessEvents::EmitLost() {
  if (running_ && handlers_.onLost) handlers_.onLost();
}

}  // namespace vz::platform::testing
