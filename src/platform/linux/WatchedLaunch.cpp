// Programs whose exit code is wanted although the shield lets the system reap
// its children (SIGCHLD ignored, so a plain child is gone before anyone could
// ask how it ended). A watcher process is cloned without an exit signal: the
// kernel never reaps such a child by itself while it has not run another
// program, and the watcher never does. The watcher starts the program, waits
// for it and ends with its exit code, which is read from the watcher by its
// watch or, once the watch is dropped, by a thread that waits for nothing else.
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/Launcher.h"

extern char** environ;

namespace vz::platform {

namespace {

// The places argv[0] may be, in the order PATH gives them. Empty PATH entries
// (the working folder) are not searched.
std::vector<std::string> ProgramCandidates(const std::string& program) {
  if (program.find('/') != std::string::npos) return {program};
  const char* path = std::getenv("PATH");
  std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::vector<std::string> candidates;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    if (end > start) candidates.push_back(folders.substr(start, end - start) + "/" + program);
    start = end + 1;
  }
  return candidates;
}

// close_range where the kernel has it (5.9 on), one by one otherwise.
void CloseRange(unsigned first, unsigned last) {
  if (first > last) return;
  if (::syscall(SYS_close_range, first, last, 0U) == 0) return;
  constexpr unsigned kMostDescriptors = 65536;
  for (unsigned fd = first; fd <= last && fd < kMostDescriptors; ++fd) ::close(static_cast<int>(fd));
}

// What the watcher needs, prepared before the clone: in the copy of a process
// with many threads only calls that are safe after a fork may run, on memory
// that exists already.
struct Plan {
  std::vector<const char*> candidates;
  char* const* argv;
  int reportFd;
};

// The program itself (a vfork child of the watcher): default signal handling,
// no terminal, "/" as its folder. On failure the reason goes to startError,
// which the watcher shares until this child has run a program or ended.
[[noreturn]] void RunProgram(const Plan& plan, volatile int* startError) {
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &defaults, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    for (int fd = 0; fd < 3; ++fd) ::dup2(null, fd);
    if (null > 2) ::close(null);
  }
  if (::chdir("/") != 0) {
    // The working folder stays as it was; the program still runs.
  }
  int error = ENOENT;
  for (const char* candidate : plan.candidates) {
    ::execve(candidate, plan.argv, environ);
    // Not found here: the next folder. Found but not runnable: remembered.
    if (errno != ENOENT && errno != ENOTDIR) error = errno;
  }
  *startError = error;
  ::_exit(127);
}

// Closes every descriptor above standard error except keep.
void CloseAllBut(int keep) {
  auto kept = static_cast<unsigned>(keep);
  if (kept < 3) {
    CloseRange(3, ~0U);
    return;
  }
  CloseRange(3, kept - 1);
  CloseRange(kept + 1, ~0U);
}

// The watcher: in a process group of its own (with the program), out of reach
// of the terminal's signals. Reports a failed start through the pipe, closes
// it once the program runs, and ends as the program ended.
[[noreturn]] void RunWatcher(const Plan& plan) {
  // The watcher runs no other program, so nothing of the shield's closes by
  // itself: its sockets, watches and locked files must not live on in here
  // for as long as the opener runs.
  CloseAllBut(plan.reportFd);
  ::setpgid(0, 0);
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  ::sigaction(SIGCHLD, &defaults, nullptr);
  volatile int startError = 0;
  pid_t program = ::vfork();
  if (program == 0) RunProgram(plan, &startError);
  int error = program < 0 ? errno : startError;
  if (error != 0) {
    if (program > 0) ::waitpid(program, nullptr, 0);
    ssize_t written = ::write(plan.reportFd, &error, sizeof error);
    (void)written;
    ::_exit(127);
  }
  ::close(plan.reportFd);
  int status = 0;
  while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
  }
  ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

class WatcherProcess final : public WatchedProgram {
 public:
  explicit WatcherProcess(pid_t pid) : pid_(pid) {}
  ~WatcherProcess() override {
    if (ended_) return;
    // Still running: waited for elsewhere, so that it never stays a zombie.
    pid_t pid = pid_;
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, __WALL) < 0 && errno == EINTR) {
      }
    }).detach();
  }
  WatcherProcess(const WatcherProcess&) = delete;
  WatcherProcess& operator=(const WatcherProcess&) = delete;

  std::optional<int> ExitCode() override {
    if (ended_) return exitCode_;
    int status = 0;
    pid_t done = ::waitpid(pid_, &status, WNOHANG | __WALL);
    if (done == 0 || (done < 0 && errno == EINTR)) return std::nullopt;
    ended_ = true;
    if (done == pid_) exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return exitCode_;
  }

 private:
  pid_t pid_;
  bool ended_ = false;
  int exitCode_ = 0;
};

std::unique_ptr<WatchedProgram> Failed(const std::string& program, int errorNumber, LaunchError& error) {
  error.notFound = errorNumber == ENOENT;
  error.text = program + ": " + std::strerror(errorNumber);
  return nullptr;
}

}  // namespace

std::unique_ptr<WatchedProgram> LaunchWatched(const std::vector<std::string>& argv, LaunchError& error) {
  if (argv.empty() || argv[0].empty()) return Failed("", ENOENT, error);
  std::vector<std::string> candidates = ProgramCandidates(argv[0]);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The watcher reports a failed start through this pipe; a start closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Failed(argv[0], errno, error);
  Plan plan{{}, args.data(), report[1]};
  for (const auto& c : candidates) plan.candidates.push_back(c.c_str());
  // Flags 0: a copy of this process, like fork, but with no exit signal.
  long cloned = ::syscall(SYS_clone, 0UL, nullptr, nullptr, nullptr, 0UL);
  if (cloned == 0) {
    ::close(report[0]);
    RunWatcher(plan);
  }
  int cloneError = errno;
  ::close(report[1]);
  if (cloned < 0) {
    ::close(report[0]);
    return Failed(argv[0], cloneError, error);
  }
  auto pid = static_cast<pid_t>(cloned);
  int childError = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    int status = 0;
    while (::waitpid(pid, &status, __WALL) < 0 && errno == EINTR) {
    }
    return Failed(argv[0], childError, error);
  }
  return std::make_unique<WatcherProcess>(pid);
}

}  // namespace vz::platform
