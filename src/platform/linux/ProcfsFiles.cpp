#include "platform/linux/ProcfsFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include "platform/linux/ProcfsStat.h"

namespace vz::platform::procfs {

namespace {

std::string ProcessPath(const std::string& root, Pid pid, const char* leaf) {
  return root + "/" + std::to_string(pid) + "/" + leaf;
}

}  // namespace

std::string_view ReadSmallFileAt(int dirFd, const char* relative, char* buffer, size_t size) {
  int fd = ::openat(dirFd, relative, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  ssize_t n = ::read(fd, buffer, size);
  ::close(fd);
  return n > 0 ? std::string_view(buffer, static_cast<size_t>(n)) : std::string_view();
}

std::string_view ReadProcessFile(const std::string& root, Pid pid, const char* leaf, char* buffer, size_t size) {
  return ReadSmallFileAt(AT_FDCWD, ProcessPath(root, pid, leaf).c_str(), buffer, size);
}

std::string ReadExePath(const std::string& root, Pid pid) {
  char target[PATH_MAX];
  ssize_t n = ::readlink(ProcessPath(root, pid, "exe").c_str(), target, sizeof target);
  // A full buffer may be a cut path: not a path we can name.
  if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return {};
  return std::string(StripDeletedSuffix(std::string_view(target, static_cast<size_t>(n))));
}

}  // namespace vz::platform::procfs
