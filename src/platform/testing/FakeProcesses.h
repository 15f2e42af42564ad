#pragma once
// An in-memory process platform for unit tests of the process list logic: the
// test sets which processes run, with their names, paths, priorities and start
// times, and reads back what was terminated.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Processes.h"

namespace vz::platform::testing {

struct FakeProcess {
  Pid pid = 0;
  std::string name;       // snapshot name
  std::string fullPath;   // empty: the process cannot be opened
  PriorityClass priority = PriorityClass::Normal;
  std::uint64_t startTime = 0;
  bool openable = true;      // false: cannot be opened although it has a path
  bool mayTerminate = true;  // false: termination is refused ("Operation not permitted")
};

struct TerminationCall {
  Pid pid = 0;
  std::uint64_t startTime = 0;  // of the process that was ended
  std::uint32_t exitCode = 0;
};

class FakeProcesses final : public ProcessPlatform {
 public:
  // Starts a process (or replaces the one with this PID). startTime 0 picks the
  // next one of an increasing clock.
  FakeProcess& Start(Pid pid, const std::string& name, const std::string& fullPath = "",
                     PriorityClass priority = PriorityClass::Normal, std::uint64_t startTime = 0);
  // The process ends; handles opened on it report it gone.
  void End(Pid pid);
  // The PID now names a newer process: start times recorded before no longer match.
  FakeProcess& ReusePid(Pid pid, const std::string& name, const std::string& fullPath = "");
  // nullptr when no process has this PID.
  FakeProcess* Find(Pid pid);

  // Enumeration, snapshot and signature all come back empty.
  bool failEnumeration = false;
  // Terminate ends the process (as SIGKILL does); false leaves it running.
  bool terminationEndsProcess = true;

  const std::vector<TerminationCall>& terminations() const { return terminations_; }
  int enumerateCalls = 0;
  int openCalls = 0;
  int snapshotCalls = 0;
  int signatureCalls = 0;

  std::vector<Pid> EnumerateProcessIds() override;
  std::optional<OpenedProcess> OpenProcess(Pid pid) override;
  std::vector<SnapshotEntry> Snapshot() override;
  void AppendSnapshotSignature(std::string& signature) override;
  std::unique_ptr<ProcessHandle> OpenForTermination(Pid pid, std::uint64_t expectedStartTime,
                                                    std::string& errorText) override;

  // Used by the handles: the process with this PID and start time, if it runs.
  FakeProcess* FindExact(Pid pid, std::uint64_t startTime);
  bool TerminateExact(Pid pid, std::uint64_t startTime, std::uint32_t exitCode);

 private:
  std::map<Pid, FakeProcess> processes_;  // ascending PID, like /proc
  std::vector<TerminationCall> terminations_;
  std::uint64_t clock_ = 1000;
};

}  // namespace vz::platform::testing
