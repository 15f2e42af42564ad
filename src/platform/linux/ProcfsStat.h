#pragma once
// Readers of the /proc files the process platform uses, as pure functions on
// bytes: no file system access here, so they are tested with literal strings.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Processes.h"

namespace vz::platform::procfs {

// The fields of /proc/PID/stat the shield needs.
struct StatFields {
  Pid pid = 0;
  std::string_view comm;       // points into the parsed bytes
  char state = '?';            // field 3: R, S, D, Z, ...
  int nice = 0;                // field 19
  std::uint64_t startTime = 0; // field 22, clock ticks since boot
  int policy = 0;              // field 41 (SCHED_*); 0 when the kernel does not write it
};

// Parses one /proc/PID/stat line. comm may hold blanks and ')', so it runs from
// the first '(' to the LAST ')'. nullopt when the line is malformed or stops
// before the start time.
std::optional<StatFields> ParseStat(std::string_view bytes);

// Only the comm of a stat line, for the cheap change test; empty when malformed.
std::string_view StatComm(std::string_view bytes);
// The part of a process name that stays put: a kernel workqueue worker
// ("kworker/0:1-events") shows the work it is doing after its own name, and
// that changes many times a second without any process starting or ending.
std::string_view SteadyName(std::string_view comm);

// Priority class from scheduling policy and nice: FIFO/RR/DEADLINE "Real Time";
// IDLE or nice 11..19 "Low"; nice <= -11 High, -10..-1 Above Normal, 0 Normal,
// 1..10 Below Normal.
PriorityClass ClassFromSchedule(int policy, int nice);

// readlink of /proc/PID/exe ends in " (deleted)" once the program file is gone;
// the shield wants the file's own path and name.
std::string_view StripDeletedSuffix(std::string_view exeLink);

// Last component of a '/'-separated path.
std::string_view BaseName(std::string_view path);

// A /proc directory entry that names a process: decimal digits only, fits a Pid.
bool ParsePidName(const char* name, Pid& pid);

}  // namespace vz::platform::procfs
