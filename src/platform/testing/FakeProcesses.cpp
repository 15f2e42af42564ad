#include "platform/testing/FakeProcesses.h"

namespace vz::platform::testing {

namespace {

// Texts of the Linux platform, so tests of callers see what users will see.
constexpr const char* kNoSuchProcess = "No such process";
constexpr const char* kNotPermitted = "Operation not permitted";

class FakeHandle final : public ProcessHandle {
 public:
  FakeHandle(FakeProcesses& owner, Pid pid, std::uint64_t startTime) : owner_(owner), pid_(pid), startTime_(startTime) {}

  bool GetExitCode(std::uint32_t& exitCode, std::string& errorText) override {
    if (!owner_.FindExact(pid_, startTime_)) {
      errorText = kNoSuchProcess;
      return false;
    }
    exitCode = kStillActive;
    return true;
  }

  bool Terminate(std::uint32_t exitCode, std::string& errorText) override {
    if (owner_.TerminateExact(pid_, startTime_, exitCode)) return true;
    errorText = kNoSuchProcess;
    return false;
  }

 private:
  FakeProcesses& owner_;
  Pid pid_;
  std::uint64_t startTime_;
};

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FakeProcess& FakeProcesses::Start(Pid pid, const std::string& name, const std::string& fullPath, PriorityClass priority,
                                  std::uint64_t startTime) {
  if (startTime == 0) startTime = ++clock_;
  if (startTime > clock_) clock_ = startTime;
  FakeProcess& process = processes_[pid];
  process = FakeProcess{pid, name, fullPath, priority, startTime};
  return process;
}

void FakeProcesses::End(Pid pid) { processes_.erase(pid); }

FakeProcess& FakeProcesses::ReusePid(Pid pid, const std::string& name, const std::string& fullPath) {
  return Start(pid, name, fullPath);
}

FakeProcess* FakeProcesses::Find(Pid pid) {
  auto it = processes_.find(pid);
  return it == processes_.end() ? nullptr : &it->second;
}

FakeProcess* FakeProcesses::FindExact(Pid pid, std::uint64_t startTime) {
  FakeProcess* process = Find(pid);
  return process && process->startTime == startTime ? process : nullptr;
}

bool FakeProcesses::TerminateExact(Pid pid, std::uint64_t startTime, std::uint32_t exitCode) {
  if (!FindExact(pid, startTime)) return false;
  terminations_.push_back({pid, startTime, exitCode});
  if (terminationEndsProcess) End(pid);
  return true;
}

std::vector<Pid> FakeProcesses::EnumerateProcessIds() {
  ++enumerateCalls;
  std::vector<Pid> pids;
  if (failEnumeration) return pids;
  for (const auto& [pid, process] : processes_) pids.push_back(pid);
  return pids;
}

std::optional<OpenedProcess> FakeProcesses::OpenProcess(Pid pid) {
  ++openCalls;
  FakeProcess* process = Find(pid);
  if (!process || !process->openable || process->fullPath.empty()) return std::nullopt;
  return OpenedProcess{BaseNameOf(process->fullPath), process->fullPath, process->priority, process->startTime};
}

std::vector<SnapshotEntry> FakeProcesses::Snapshot() {
  ++snapshotCalls;
  std::vector<SnapshotEntry> entries;
  if (failEnumeration) return entries;
  for (const auto& [pid, process] : processes_)
    entries.push_back({pid, process.name, BasePriorityOfClass(process.priority), process.startTime});
  return entries;
}

void FakeProcesses::AppendSnapshotSignature(std::string& signature) {
  ++signatureCalls;
  if (failEnumeration) return;
  for (const auto& [pid, process] : processes_) {
    if (process.name.empty()) continue;
    signature += process.name;
    signature += ',';
  }
}

std::unique_ptr<ProcessHandle> FakeProcesses::OpenForTermination(Pid pid, std::uint64_t expectedStartTime,
                                                                 std::string& errorText) {
  FakeProcess* process = Find(pid);
  if (!process || (expectedStartTime != 0 && process->startTime != expectedStartTime)) {
    errorText = kNoSuchProcess;
    return nullptr;
  }
  if (!process->mayTerminate) {
    errorText = kNotPermitted;
    return nullptr;
  }
  return std::make_unique<FakeHandle>(*this, pid, process->startTime);
}

}  // namespace vz::platform::testing
