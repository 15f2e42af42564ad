#pragma once
// Open descriptors on one small file of each process (/proc/PID/comm) kept
// from one change test to the next, so that the test that runs every two
// seconds costs one pread per process instead of an open, a read and a close.
// A descriptor whose process has gone (its PID possibly taken by a new
// process) reads as an error and is reopened.
//
// The cache keeps a modest number of descriptors and never raises the
// process's limit: where the soft limit leaves room it keeps them at
// FD_SETSIZE and above, so they take no number select() can watch and push
// no other descriptor of the program past it; processes beyond the budget
// are read with a plain open, read and close.
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Processes.h"

namespace vz::platform::procfs {

class FileCache {
 public:
  FileCache() = default;
  ~FileCache();
  FileCache(const FileCache&) = delete;
  FileCache& operator=(const FileCache&) = delete;

  // Starts a pass over the processes in ascending PID order.
  void BeginPass();
  // The file's text for pid (which must come after the previous one of this pass),
  // read through the kept descriptor; empty when the process is gone.
  std::string_view Read(int rootFd, Pid pid, const char* relativePath, char* buffer, std::size_t size);
  // Closes the descriptors of processes the pass did not see.
  void EndPass();

 private:
  int Open(int rootFd, const char* relativePath) const;
  // Keeps fd (just read) for pid when the budget allows; closes it otherwise.
  void Keep(Pid pid, int fd, bool alreadyKept);

  std::vector<std::pair<Pid, int>> kept_;  // ascending PID
  std::vector<std::pair<Pid, int>> next_;
  std::size_t cursor_ = 0;
  // How many descriptors may be kept, and the lowest number they are kept at.
  bool budgetKnown_ = false;
  std::size_t budget_ = 0;
  int lowest_ = 0;
};

}  // namespace vz::platform::procfs
