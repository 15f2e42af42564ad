#pragma once
// Process events from the kernel's process-events connector (netlink).
#include <memory>
#include <string>

#include "platform/ProcessEvents.h"
#include "platform/linux/ProcfsProcesses.h"

namespace vz::platform {

std::unique_ptr<ProcessEventSource> CreateProcConnectorEventSource(const std::string& procRoot = kProcRoot);

// What one exec leaves to be captured: read through one open /proc/PID folder,
// so the path and the start time belong to the same process even if the PID is
// reused meanwhile. False when the process has already gone.
bool CaptureProcessStart(const std::string& procRoot, Pid pid, ProcessStart& start);

}  // namespace vz::platform
