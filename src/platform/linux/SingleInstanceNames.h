#pragma once
// Where the single-instance guard lives on Linux, for the guard itself and for
// tests that clean up after it.
#include <string>

#include "platform/Processes.h"

namespace vz::platform {

// The program whose PID counts as a running instance.
inline constexpr const char* kShieldProgramName = "qvshield";

// POSIX shared memory object of instanceName for the current user ("/NAME.UID").
std::string InstanceRegionName(const std::string& instanceName);
// Abstract unix socket address (without the leading NUL) on which the instance
// with this PID listens for activation requests.
std::string ActivationSocketName(const std::string& instanceName, Pid pid);
// Removes the region; the guard itself never does (a stale value blocks nothing).
bool RemoveInstanceRegion(const std::string& instanceName);

}  // namespace vz::platform
