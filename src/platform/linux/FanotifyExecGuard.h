#pragma once
// The exec guard on fanotify: a permission event for every program file
// opened to run, on every mount where programs can run.
#include <memory>
#include <string>
#include <vector>

#include "platform/ExecGuard.h"

namespace vz::platform {

std::unique_ptr<ExecGuard> CreateFanotifyExecGuard();

// The mount points of a /proc/PID/mountinfo text where programs can run (not
// mounted noexec), with their escapes (\040 for a blank) undone.
std::vector<std::string> ExecutableMountPoints(const std::string& mountinfo);

}  // namespace vz::platform
