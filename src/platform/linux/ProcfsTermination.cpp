#include "platform/linux/ProcfsTermination.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/linux/ProcfsFiles.h"
#include "platform/linux/ProcfsStat.h"

namespace vz::platform::procfs {

namespace {

// Called through syscall(): older C libraries have no wrappers.
int PidfdOpen(Pid pid) { return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0u)); }

int PidfdSendSignal(int pidfd, int signal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0u));
}

std::string ErrorText(int error) { return std::strerror(error); }

// The process behind the pidfd has not been reaped yet: its PID is still its own.
bool StillHoldsPid(int pidfd) { return PidfdSendSignal(pidfd, 0) == 0; }

// A pidfd turns readable once its process has exited (zombies included).
enum class Liveness { Running, Exited, Failed };
Liveness PollLiveness(int pidfd) {
  pollfd entry{pidfd, POLLIN, 0};
  int ready = ::poll(&entry, 1, 0);
  if (ready < 0) return Liveness::Failed;
  return ready == 0 ? Liveness::Running : Liveness::Exited;
}

class PidfdHandle final : public ProcessHandle {
 public:
  explicit PidfdHandle(int pidfd) : pidfd_(pidfd) {}
  ~PidfdHandle() override { ::close(pidfd_); }
  PidfdHandle(const PidfdHandle&) = delete;
  PidfdHandle& operator=(const PidfdHandle&) = delete;

  // The exit status of a process that is not our child is not available on
  // Linux: once it has ended the call fails with "No such process".
  bool GetExitCode(std::uint32_t& exitCode, std::string& errorText) override {
    switch (PollLiveness(pidfd_)) {
      case Liveness::Running:
        exitCode = kStillActive;
        return true;
      case Liveness::Exited:
        errorText = ErrorText(ESRCH);
        return false;
      case Liveness::Failed:
        break;
    }
    errorText = ErrorText(errno);
    return false;
  }

  // SIGKILL carries no exit code, so exitCode is not passed on. The pidfd pins
  // the process: a PID reused meanwhile is never hit.
  bool Terminate(std::uint32_t /*exitCode*/, std::string& errorText) override {
    if (PidfdSendSignal(pidfd_, SIGKILL) == 0) return true;
    errorText = ErrorText(errno);
    return false;
  }

 private:
  int pidfd_;
};

}  // namespace

std::unique_ptr<ProcessHandle> OpenPidfdHandle(const std::string& root, Pid pid, std::uint64_t expectedStartTime,
                                               std::string& errorText) {
  if (pid == 0 || pid > static_cast<Pid>(INT_MAX)) {
    errorText = ErrorText(ESRCH);
    return nullptr;
  }
  int pidfd = PidfdOpen(pid);
  if (pidfd < 0) {
    errorText = ErrorText(errno);
    return nullptr;
  }
  // Signal 0 checks the right to signal exactly this process, like kill(pid, 0).
  if (PidfdSendSignal(pidfd, 0) != 0) {
    errorText = ErrorText(errno);
    ::close(pidfd);
    return nullptr;
  }
  if (expectedStartTime != 0) {
    // The stat is read after the pidfd was opened; if the pidfd's process still
    // holds its PID afterwards, the stat was that process's own.
    char buffer[kStatBufferSize];
    auto stat = ParseStat(ReadProcessFile(root, pid, "stat", buffer, sizeof buffer));
    if (!stat || stat->startTime != expectedStartTime || !StillHoldsPid(pidfd)) {
      // The process the caller knew has gone; the PID names another one or none.
      errorText = ErrorText(ESRCH);
      ::close(pidfd);
      return nullptr;
    }
  }
  return std::make_unique<PidfdHandle>(pidfd);
}

}  // namespace vz::platform::procfs
