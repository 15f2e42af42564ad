#include "platform/linux/ProcfsProcesses.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cstring>

#include "platform/linux/ProcfsFiles.h"
#include "platform/linux/ProcfsStat.h"
#include "platform/linux/ProcfsFileCache.h"
#include "platform/linux/ProcfsTermination.h"

namespace vz::platform {

namespace {

// Enough for a 10-digit PID, "/stat" and the terminator.
constexpr size_t kStatPathSize = 32;

// An open directory stream on the proc root, closed at scope end.
class ProcDir {
 public:
  explicit ProcDir(const std::string& root) : dir_(::opendir(root.c_str())) {}
  ~ProcDir() {
    if (dir_) ::closedir(dir_);
  }
  ProcDir(const ProcDir&) = delete;
  ProcDir& operator=(const ProcDir&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

class ProcfsProcessPlatform final : public ProcessPlatform {
 public:
  explicit ProcfsProcessPlatform(std::string root) : root_(std::move(root)) {}

  std::vector<Pid> EnumerateProcessIds() override {
    std::vector<Pid> pids;
    ProcDir dir(root_);
    if (!dir.get()) return pids;
    while (dirent* entry = ::readdir(dir.get())) {
      Pid pid = 0;
      if (procfs::ParsePidName(entry->d_name, pid)) pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
  }

  std::optional<OpenedProcess> OpenProcess(Pid pid) override {
    std::string path = procfs::ReadExePath(root_, pid);
    if (path.empty()) return std::nullopt;
    char buffer[procfs::kStatBufferSize];
    auto stat = procfs::ParseStat(procfs::ReadProcessFile(root_, pid, "stat", buffer, sizeof buffer));
    if (!stat) return std::nullopt;
    OpenedProcess opened;
    opened.baseName = std::string(procfs::BaseName(path));
    opened.fullPath = std::move(path);
    opened.priority = procfs::ClassFromSchedule(stat->policy, stat->nice);
    opened.startTime = stat->startTime;
    return opened;
  }

  std::vector<SnapshotEntry> Snapshot() override {
    std::vector<SnapshotEntry> entries;
    char buffer[procfs::kStatBufferSize];
    for (Pid pid : EnumerateProcessIds()) {
      // A process that ended since the enumeration simply drops out.
      auto stat = procfs::ParseStat(procfs::ReadProcessFile(root_, pid, "stat", buffer, sizeof buffer));
      if (!stat) continue;
      SnapshotEntry entry;
      entry.pid = pid;
      entry.name = std::string(stat->comm);
      entry.basePriority = BasePriorityOfClass(procfs::ClassFromSchedule(stat->policy, stat->nice));
      entry.startTime = stat->startTime;
      entries.push_back(std::move(entry));
    }
    return entries;
  }

  // Runs every two seconds for the life of the shield: one readdir pass, and
  // per process one pread of its name (/proc/PID/comm, half the kernel's work
  // of a stat read) through a descriptor kept open since the last pass; a new
  // process, or one beyond the cache's descriptor budget, costs one openat
  // more. Directory order is ascending PID, the same order every time. Kernel
  // workers count by their steady name, so their changing work descriptions
  // are no change.
  void AppendSnapshotSignature(std::string& signature) override {
    ProcDir dir(root_);
    if (!dir.get()) return;
    int rootFd = ::dirfd(dir.get());
    char path[kStatPathSize];
    char buffer[procfs::kStatBufferSize];
    nameCache_.BeginPass();
    while (dirent* entry = ::readdir(dir.get())) {
      const char* name = entry->d_name;
      Pid pid = 0;
      if (!procfs::ParsePidName(name, pid)) continue;
      size_t length = std::strlen(name);
      if (length + sizeof "/stat" > sizeof path) continue;
      std::memcpy(path, name, length);
      std::memcpy(path + length, "/comm", sizeof "/comm");
      std::string_view comm = nameCache_.Read(rootFd, pid, path, buffer, sizeof buffer);
      if (!comm.empty() && comm.back() == '\n') comm.remove_suffix(1);
      if (comm.empty()) {
        // Without a name file (a folder laid out like /proc in tests): the stat line.
        std::memcpy(path + length, "/stat", sizeof "/stat");
        comm = procfs::StatComm(procfs::ReadSmallFileAt(rootFd, path, buffer, sizeof buffer));
      }
      comm = procfs::SteadyName(comm);
      if (comm.empty()) continue;
      signature.append(comm);
      signature.push_back(',');
    }
    nameCache_.EndPass();
  }

  std::unique_ptr<ProcessHandle> OpenForTermination(Pid pid, std::uint64_t expectedStartTime,
                                                    std::string& errorText) override {
    return procfs::OpenPidfdHandle(root_, pid, expectedStartTime, errorText);
  }

 private:
  std::string root_;
  procfs::FileCache nameCache_;
};

}  // namespace

std::unique_ptr<ProcessPlatform> CreateProcfsProcessPlatform(const std::string& procRoot) {
  return std::make_unique<ProcfsProcessPlatform>(procRoot);
}

}  // namespace vz::platform
