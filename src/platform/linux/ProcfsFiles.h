#pragma once
// Small helpers that fetch /proc files for the pure readers of ProcfsStat.h.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Processes.h"

namespace vz::platform::procfs {

// One read() of `relative` under the folder `dirFd` into `buffer`. The kernel
// fills a stat or comm file in one go. Empty on any failure.
std::string_view ReadSmallFileAt(int dirFd, const char* relative, char* buffer, size_t size);

// Same with a path: root + "/" + pid + "/" + leaf.
std::string_view ReadProcessFile(const std::string& root, Pid pid, const char* leaf, char* buffer, size_t size);

// readlink of root/pid/exe, " (deleted)" stripped; empty when unreadable.
std::string ReadExePath(const std::string& root, Pid pid);

// Room for any stat line: the comm is short and the ~52 numeric fields fit well within.
inline constexpr size_t kStatBufferSize = 2048;

}  // namespace vz::platform::procfs
