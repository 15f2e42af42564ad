#pragma once
// Ending a process through a pidfd, bound to the process's start time.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Processes.h"

namespace vz::platform::procfs {

// Opens a pidfd on pid, checks that we may signal it and, when expectedStartTime
// is not 0, that the PID still names the process that started then (read from
// root/PID/stat). nullptr with the system's error text otherwise.
std::unique_ptr<ProcessHandle> OpenPidfdHandle(const std::string& root, Pid pid, std::uint64_t expectedStartTime,
                                               std::string& errorText);

}  // namespace vz::platform::procfs
