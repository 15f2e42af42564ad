#include "platform/linux/ProcfsFileCache.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vz::platform::procfs {

namespace {

// Enough for the name of every process on a busy machine, and a few hundred
// kilobytes of kernel memory at most.
constexpr std::size_t kMostKept = 2048;

std::size_t SoftDescriptorLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  return static_cast<std::size_t>(std::min<rlim_t>(limit.rlim_cur, 1u << 20));
}

}  // namespace

FileCache::~FileCache() {
  for (auto& [pid, fd] : kept_) ::close(fd);
}

int FileCache::Open(int rootFd, const char* relativePath) const {
  return ::openat(rootFd, relativePath, O_RDONLY | O_CLOEXEC);
}

void FileCache::BeginPass() {
  if (!budgetKnown_) {
    // A quarter of the soft limit, at FD_SETSIZE and above where that fits
    // under it, else at its top end (the usual soft limit is 1024).
    std::size_t softLimit = SoftDescriptorLimit();
    budget_ = std::min(kMostKept, softLimit / 4);
    lowest_ = softLimit >= FD_SETSIZE + budget_ ? FD_SETSIZE : static_cast<int>(softLimit - budget_);
    budgetKnown_ = true;
  }
  next_.clear();
  next_.reserve(std::min(kept_.size() + 16, budget_));
  cursor_ = 0;
}

void FileCache::Keep(Pid pid, int fd, bool alreadyKept) {
  if (next_.size() >= budget_) {
    ::close(fd);
    return;
  }
  if (!alreadyKept) {
    // Moved out of the numbers the rest of the program opens its files at.
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, lowest_);
    ::close(fd);
    if (moved < 0) return;
    fd = moved;
  }
  next_.emplace_back(pid, fd);
}

std::string_view FileCache::Read(int rootFd, Pid pid, const char* relativePath, char* buffer, std::size_t size) {
  // Descriptors of processes before this one were not seen: they are gone.
  while (cursor_ < kept_.size() && kept_[cursor_].first < pid) ::close(kept_[cursor_++].second);
  int fd = -1;
  if (cursor_ < kept_.size() && kept_[cursor_].first == pid) fd = kept_[cursor_++].second;
  bool alreadyKept = fd >= 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (fd < 0) fd = Open(rootFd, relativePath);
    if (fd < 0) return std::string_view();
    ssize_t n = ::pread(fd, buffer, size, 0);
    if (n > 0) {
      Keep(pid, fd, alreadyKept);
      return std::string_view(buffer, static_cast<std::size_t>(n));
    }
    // The process behind the descriptor has ended; the PID may name a new one.
    ::close(fd);
    fd = -1;
    alreadyKept = false;
  }
  return std::string_view();
}

void FileCache::EndPass() {
  while (cursor_ < kept_.size()) ::close(kept_[cursor_++].second);
  kept_.swap(next_);
  next_.clear();
}

}  // namespace vz::platform::procfs
