#pragma once
// Contract: what the shield needs to know about running processes, and the one
// way it ends them. Implemented from /proc on Linux (linux/ProcfsProcesses).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vz::platform {

using Pid = std::uint32_t;

// Windows priority classes; Linux maps scheduling policy and nice onto them.
enum class PriorityClass { RealTime, High, AboveNormal, Normal, BelowNormal, Idle, Unknown };

// A process that could be "opened": its program file is readable to us.
struct OpenedProcess {
  std::string baseName;   // last component of fullPath
  std::string fullPath;   // absolute path of the program file
  PriorityClass priority = PriorityClass::Unknown;
  std::uint64_t startTime = 0;  // clock ticks since boot; tells a reused PID apart
};

// One entry of the system-wide snapshot (names, identifiers, base priorities).
struct SnapshotEntry {
  Pid pid = 0;
  std::string name;            // short process name (Linux: comm)
  int basePriority = 0;        // Windows base priority number of the class (24, 13, 10, 8, 6, 4)
  std::uint64_t startTime = 0;
};

// Exit code reported while a process is still running.
inline constexpr std::uint32_t kStillActive = 259;

// An open handle on a process, for ending it. Bound to the process's start time:
// a PID that was reused since the handle's owner learnt it is never signalled.
class ProcessHandle {
 public:
  virtual ~ProcessHandle() = default;
  // kStillActive while the process lives; false with errorText on failure.
  virtual bool GetExitCode(std::uint32_t& exitCode, std::string& errorText) = 0;
  // Ends the process. false with errorText on failure.
  virtual bool Terminate(std::uint32_t exitCode, std::string& errorText) = 0;
};

class ProcessPlatform {
 public:
  virtual ~ProcessPlatform() = default;

  // Identifiers of all processes, ascending.
  virtual std::vector<Pid> EnumerateProcessIds() = 0;

  // Opens the process for query: nullopt when its program file cannot be read
  // (kernel threads, other users' processes, a process that has ended).
  virtual std::optional<OpenedProcess> OpenProcess(Pid pid) = 0;

  // The snapshot, in enumeration order. Any fault keeps what was gathered so far.
  virtual std::vector<SnapshotEntry> Snapshot() = 0;

  // Appends "name," for each snapshot entry with a non-empty name. The cheap
  // change test of the process list runs this every two seconds, so it must not
  // build the full snapshot.
  virtual void AppendSnapshotSignature(std::string& signature) = 0;

  // Opens the process with terminate and query rights. expectedStartTime 0 skips
  // the reuse check. nullptr with errorText when it cannot be opened or the PID
  // now names another process.
  virtual std::unique_ptr<ProcessHandle> OpenForTermination(Pid pid, std::uint64_t expectedStartTime,
                                                            std::string& errorText) = 0;
};

// The Windows name of a priority class: the names the process list shows.
const char* PriorityClassName(PriorityClass priority);
// Name from a snapshot base priority: > 64 "High", 8..64 "Normal", < 8 "Low".
const char* BasePriorityName(int basePriority);

// The Windows base priority number of a class, as the snapshot reports it.
constexpr int BasePriorityOfClass(PriorityClass priority) {
  switch (priority) {
    case PriorityClass::RealTime: return 24;
    case PriorityClass::High: return 13;
    case PriorityClass::AboveNormal: return 10;
    case PriorityClass::Normal: return 8;
    case PriorityClass::BelowNormal: return 6;
    case PriorityClass::Idle: return 4;
    case PriorityClass::Unknown: return 4;
  }
  return 4;
}

}  // namespace vz::platform
