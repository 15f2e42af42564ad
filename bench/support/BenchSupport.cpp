#include "BenchSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace vz::bench {

std::vector<pid_t> SpawnSleepers(int count) {
  std::vector<pid_t> children;
  pid_t parent = ::getpid();
  for (int i = 0; i < count; ++i) {
    pid_t pid = ::fork();
    if (pid < 0) break;
    if (pid == 0) {
      // Dies with the benchmark even if it is killed before its clean-up.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(0);
      for (;;) ::pause();
    }
    children.push_back(pid);
  }
  return children;
}

void ReapSleepers(const std::vector<pid_t>& children) {
  for (pid_t pid : children) ::kill(pid, SIGKILL);
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
}

size_t ProcessCount() {
  size_t count = 0;
  if (DIR* dir = ::opendir("/proc")) {
    while (dirent* entry = ::readdir(dir))
      if (entry->d_name[0] >= '1' && entry->d_name[0] <= '9') ++count;
    ::closedir(dir);
  }
  return count;
}

size_t EnumerateProcFloor() {
  DIR* dir = ::opendir("/proc");
  if (!dir) return 0;
  int rootFd = ::dirfd(dir);
  char path[sizeof(dirent::d_name) + sizeof "/stat"];
  char buffer[2048];
  size_t total = 0;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
    std::snprintf(path, sizeof path, "%s/stat", entry->d_name);
    int fd = ::openat(rootFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n > 0) total += static_cast<size_t>(n);
  }
  ::closedir(dir);
  return total;
}

}  // namespace vz::bench
