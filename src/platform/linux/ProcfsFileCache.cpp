#include "platform/linux/ProcfsFileCache.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace vz::platform::procfs {

namespace {

// Descriptors kept at most: half of what the process may open, so the rest
// of the program never runs short.
std::size_t DescriptorBudget() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 256;
  // Use what the system allows; the default soft limit is far below it.
  if (limit.rlim_cur < limit.rlim_max && limit.rlim_cur < 65536) {
    struct rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max < 65536 ? limit.rlim_max : 65536;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return static_cast<std::size_t>(limit.rlim_cur / 2);
}

}  // namespace

FileCache::~FileCache() {
  for (auto& [pid, fd] : kept_) ::close(fd);
}

int FileCache::Open(int rootFd, const char* relativePath) const {
  return ::openat(rootFd, relativePath, O_RDONLY | O_CLOEXEC);
}

void FileCache::BeginPass() {
  if (limit_ == 0) limit_ = DescriptorBudget();
  next_.clear();
  next_.reserve(kept_.size() + 16);
  cursor_ = 0;
}

std::string_view FileCache::Read(int rootFd, Pid pid, const char* relativePath, char* buffer, std::size_t size) {
  // Descriptors of processes before this one were not seen: they are gone.
  while (cursor_ < kept_.size() && kept_[cursor_].first < pid) ::close(kept_[cursor_++].second);
  int fd = -1;
  if (cursor_ < kept_.size() && kept_[cursor_].first == pid) fd = kept_[cursor_++].second;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (fd < 0) fd = Open(rootFd, relativePath);
    if (fd < 0) return std::string_view();
    ssize_t n = ::pread(fd, buffer, size, 0);
    if (n > 0) {
      if (next_.size() < limit_) {
        next_.emplace_back(pid, fd);
      } else {
        ::close(fd);
      }
      return std::string_view(buffer, static_cast<std::size_t>(n));
    }
    // The process behind the descriptor has ended; the PID may name a new one.
    ::close(fd);
    fd = -1;
  }
  return std::string_view();
}

void FileCache::EndPass() {
  while (cursor_ < kept_.size()) ::close(kept_[cursor_++].second);
  kept_.swap(next_);
  next_.clear();
}

}  // namespace vz::platform::procfs
