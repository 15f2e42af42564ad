#pragma once
// The process platform read from procfs. The root is injectable so tests can
// point the readers at a folder laid out like /proc.
#include <memory>
#include <string>

#include "platform/Processes.h"

namespace vz::platform {

inline constexpr const char* kProcRoot = "/proc";

std::unique_ptr<ProcessPlatform> CreateProcfsProcessPlatform(const std::string& procRoot = kProcRoot);

}  // namespace vz::platform
