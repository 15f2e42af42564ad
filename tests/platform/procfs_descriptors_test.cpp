// The change test's kept descriptors with more processes than their budget:
// the limit is never raised, the rest of the program keeps the descriptor
// numbers select() can watch, and processes beyond the budget are still read.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "platform/linux/ProcfsProcesses.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

std::set<int> OpenDescriptors() {
  std::set<int> open;
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return open;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    int fd = std::stoi(entry->d_name);
    if (fd != ::dirfd(dir)) open.insert(fd);
  }
  ::closedir(dir);
  return open;
}

rlim_t SoftLimit() {
  struct rlimit limit {};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  return limit.rlim_cur;
}

// Sets the soft descriptor limit for the test's time.
class SoftLimitForTheTest {
 public:
  explicit SoftLimitForTheTest(rlim_t soft) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    struct rlimit changed = saved_;
    changed.rlim_cur = soft;
    ok_ = ::setrlimit(RLIMIT_NOFILE, &changed) == 0;
  }
  ~SoftLimitForTheTest() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
  bool ok() const { return ok_; }

 private:
  struct rlimit saved_ {};
  bool ok_ = false;
};

// Children that sleep under one name of their own until the test ends.
class NamedSleepers {
 public:
  NamedSleepers(int count, const std::string& name) {
    // Each child says when it carries the name.
    int named[2];
    if (::pipe(named) != 0) return;
    for (int i = 0; i < count; ++i) {
      pid_t pid = ::fork();
      if (pid == 0) {
        ::prctl(PR_SET_NAME, name.c_str());
        char done = 1;
        if (::write(named[1], &done, 1) != 1) ::_exit(1);
        for (;;) ::pause();
      }
      if (pid > 0) pids_.push_back(pid);
    }
    ::close(named[1]);
    char done;
    for (std::size_t ready = 0; ready < pids_.size() && ::read(named[0], &done, 1) == 1;) ++ready;
    ::close(named[0]);
  }
  ~NamedSleepers() {
    while (!pids_.empty()) EndLast();
  }
  std::size_t size() const { return pids_.size(); }
  void EndLast() {
    ::kill(pids_.back(), SIGKILL);
    ::waitpid(pids_.back(), nullptr, 0);
    pids_.pop_back();
  }

 private:
  std::vector<pid_t> pids_;
};

TEST(ProcfsDescriptors, KeptNameFilesStayWithinTheirBudgetAndLeaveTheSelectRangeFree) {
  // More processes than the budget under the usual soft limit of 1024.
  const std::string name = "vzfd-" + std::to_string(::getpid());
  NamedSleepers sleepers(300, name);
  ASSERT_EQ(sleepers.size(), 300u);

  struct rlimit hard {};
  ::getrlimit(RLIMIT_NOFILE, &hard);
  // The usual desktop soft limit, and one that leaves room above FD_SETSIZE.
  for (rlim_t soft : {rlim_t{1024}, rlim_t{8192}}) {
    SCOPED_TRACE("soft limit " + std::to_string(soft));
    if (soft > hard.rlim_max) GTEST_SKIP() << "the hard limit " << hard.rlim_max << " is below " << soft;
    SoftLimitForTheTest limit(soft);
    ASSERT_TRUE(limit.ok());
    std::set<int> before = OpenDescriptors();

    auto platform = CreateProcfsProcessPlatform();
    std::string first, second;
    platform->AppendSnapshotSignature(first);
    platform->AppendSnapshotSignature(second);
    // Every sleeper is read, kept or not.
    EXPECT_EQ(testsupport::CountOccurrences(first, name + ","), sleepers.size());
    EXPECT_EQ(testsupport::CountOccurrences(second, name + ","), sleepers.size());

    EXPECT_EQ(SoftLimit(), soft) << "the limit was raised";
    std::set<int> kept;
    for (int fd : OpenDescriptors())
      if (!before.count(fd)) kept.insert(fd);
    ASSERT_GT(kept.size(), 0u) << "nothing is kept at all";
    EXPECT_LE(kept.size(), soft / 4);
    // The low numbers, where the program opens its own files, stay free; with
    // room above FD_SETSIZE the cache takes none that select() can watch.
    EXPECT_GE(*kept.begin(), soft >= 2 * FD_SETSIZE ? FD_SETSIZE : FD_SETSIZE / 2);

    // The youngest sleeper (beyond the budget under 1024) ends: the next pass sees it.
    sleepers.EndLast();
    std::string third;
    platform->AppendSnapshotSignature(third);
    EXPECT_EQ(testsupport::CountOccurrences(third, name + ","), sleepers.size());

    platform.reset();
    EXPECT_EQ(OpenDescriptors(), before) << "descriptors left open";
  }
}

}  // namespace
}  // namespace vz::platform
