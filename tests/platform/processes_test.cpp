// The procfs platform against real processes: children started from copies of
// the sleeper under chosen names, zombies, kernel threads, another user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/ProcfsProcesses.h"
#include "platform/linux/ProcfsStat.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testsupport::ChildProcess;
using testsupport::TempDir;

std::optional<SnapshotEntry> FindEntry(const std::vector<SnapshotEntry>& snapshot, Pid pid) {
  auto it = std::find_if(snapshot.begin(), snapshot.end(), [&](const SnapshotEntry& e) { return e.pid == pid; });
  if (it == snapshot.end()) return std::nullopt;
  return *it;
}

Pid PidOf(const ChildProcess& child) { return static_cast<Pid>(child.pid()); }

// Nice values are relative to ours; the tests expect the class of the sum.
int OwnNice() {
  errno = 0;
  return ::getpriority(PRIO_PROCESS, 0);
}

char StateOf(pid_t pid) {
  std::string stat = testsupport::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  auto fields = procfs::ParseStat(stat);
  return fields ? fields->state : '?';
}

TEST(ProcfsProcesses, ChildrenAppearWithNamePathAndPriority) {
  TempDir dir;
  ChildProcess normal(dir.path(), "vz-plain");
  ChildProcess below(dir.path(), "vz belownormal", 5);
  ChildProcess low(dir.path(), "vz-idle", 19);
  auto platform = CreateProcfsProcessPlatform();

  auto pids = platform->EnumerateProcessIds();
  EXPECT_TRUE(std::is_sorted(pids.begin(), pids.end()));
  for (Pid pid : {PidOf(normal), PidOf(below), PidOf(low), static_cast<Pid>(::getpid())})
    EXPECT_TRUE(std::binary_search(pids.begin(), pids.end(), pid)) << pid;

  auto snapshot = platform->Snapshot();
  struct Expect {
    const ChildProcess& child;
    std::string name;
    int nice;
  };
  for (const Expect& e : {Expect{normal, "vz-plain", 0}, Expect{below, "vz belownormal", 5}, Expect{low, "vz-idle", 19}}) {
    SCOPED_TRACE(e.name);
    auto opened = platform->OpenProcess(PidOf(e.child));
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->baseName, e.name);
    EXPECT_EQ(opened->fullPath, e.child.path());
    PriorityClass expected = procfs::ClassFromSchedule(0, std::min(OwnNice() + e.nice, 19));
    EXPECT_EQ(opened->priority, expected);
    auto entry = FindEntry(snapshot, PidOf(e.child));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, e.name.substr(0, 15));  // comm keeps 15 characters
    EXPECT_EQ(entry->basePriority, BasePriorityOfClass(expected));
    EXPECT_EQ(entry->startTime, opened->startTime);
    EXPECT_NE(opened->startTime, 0u);
  }
  if (OwnNice() == 0) {
    EXPECT_STREQ(PriorityClassName(platform->OpenProcess(PidOf(normal))->priority), "Normal");
    EXPECT_STREQ(PriorityClassName(platform->OpenProcess(PidOf(below))->priority), "Below Normal");
    EXPECT_STREQ(PriorityClassName(platform->OpenProcess(PidOf(low))->priority), "Low");
  }

  // Once its program file is deleted the exe link ends in " (deleted)"; the
  // name and path stay those of the file.
  std::filesystem::remove(normal.path());
  auto deleted = platform->OpenProcess(PidOf(normal));
  ASSERT_TRUE(deleted);
  EXPECT_EQ(deleted->baseName, "vz-plain");
  EXPECT_EQ(deleted->fullPath, normal.path());

  normal.Kill();
  EXPECT_FALSE(platform->OpenProcess(PidOf(normal)));
  EXPECT_FALSE(FindEntry(platform->Snapshot(), PidOf(normal)));
}

TEST(ProcfsProcesses, UnopenableProcessesAreListedThroughTheSnapshot) {
  auto platform = CreateProcfsProcessPlatform();
  // A zombie has no exe link but still a stat: it cannot be opened.
  pid_t zombie = ::fork();
  ASSERT_GE(zombie, 0);
  if (zombie == 0) ::_exit(0);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return StateOf(zombie) == 'Z'; }, 5000));
  EXPECT_FALSE(platform->OpenProcess(static_cast<Pid>(zombie)));
  auto entry = FindEntry(platform->Snapshot(), static_cast<Pid>(zombie));
  ASSERT_TRUE(entry);
  EXPECT_FALSE(entry->name.empty());
  int status = 0;
  ::waitpid(zombie, &status, 0);

  // kthreadd, where this /proc shows kernel threads.
  auto kthreadd = FindEntry(platform->Snapshot(), 2);
  if (kthreadd && kthreadd->name == "kthreadd") {
    EXPECT_FALSE(platform->OpenProcess(2));
    EXPECT_STREQ(BasePriorityName(kthreadd->basePriority), "Normal");
  }
}

// Runs `check` in a child that dropped to user nobody; true when it exits 0.
template <typename F>
bool RunAsNobody(F check) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) ADD_FAILURE() << "check failed with " << WEXITSTATUS(status);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ProcfsProcesses, AnotherUsersProcessCannotBeOpenedOrEnded) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
  TempDir dir;
  ChildProcess victim(dir.path(), "vz-rootowned");
  Pid pid = PidOf(victim);
  EXPECT_TRUE(RunAsNobody([pid] {
    auto platform = CreateProcfsProcessPlatform();
    if (platform->OpenProcess(pid)) return 1;
    auto entry = FindEntry(platform->Snapshot(), pid);
    if (!entry || entry->name != "vz-rootowned") return 2;
    std::string error;
    if (platform->OpenForTermination(pid, 0, error)) return 3;
    if (error != "Operation not permitted") return 4;
    return 0;
  }));
  EXPECT_FALSE(victim.HasExited());
}

TEST(ProcfsProcesses, TerminationEndsTheChildItWasOpenedOn) {
  TempDir dir;
  ChildProcess child(dir.path(), "vz-victim");
  auto platform = CreateProcfsProcessPlatform();
  auto opened = platform->OpenProcess(PidOf(child));
  ASSERT_TRUE(opened);
  std::string error;
  auto handle = platform->OpenForTermination(PidOf(child), opened->startTime, error);
  ASSERT_TRUE(handle) << error;
  std::uint32_t code = 0;
  ASSERT_TRUE(handle->GetExitCode(code, error)) << error;
  EXPECT_EQ(code, kStillActive);
  ASSERT_TRUE(handle->Terminate(code, error)) << error;
  ASSERT_TRUE(child.WaitForExit(5000));

  // Ended and reaped: the handle says so, and the PID no longer opens.
  EXPECT_FALSE(handle->GetExitCode(code, error));
  EXPECT_EQ(error, "No such process");
  EXPECT_FALSE(handle->Terminate(0, error));
  EXPECT_EQ(error, "No such process");
  EXPECT_FALSE(platform->OpenForTermination(PidOf(child), 0, error));
  EXPECT_EQ(error, "No such process");
  EXPECT_FALSE(platform->OpenForTermination(0, 0, error));
}

TEST(ProcfsProcesses, ExitedButUnreapedChildIsNoLongerActive) {
  TempDir dir;
  ChildProcess child(dir.path(), "vz-zombie");
  auto platform = CreateProcfsProcessPlatform();
  std::string error;
  auto handle = platform->OpenForTermination(PidOf(child), platform->OpenProcess(PidOf(child))->startTime, error);
  ASSERT_TRUE(handle) << error;
  ::kill(child.pid(), SIGKILL);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return StateOf(child.pid()) == 'Z'; }, 5000));
  std::uint32_t code = 0;
  EXPECT_FALSE(handle->GetExitCode(code, error));
  EXPECT_EQ(error, "No such process");
}

TEST(ProcfsProcesses, AStaleStartTimeIsNeverSignalled) {
  TempDir dir;
  ChildProcess child(dir.path(), "vz-survivor");
  auto platform = CreateProcfsProcessPlatform();
  auto opened = platform->OpenProcess(PidOf(child));
  ASSERT_TRUE(opened);
  // As if the list had recorded an earlier process under this PID.
  for (std::uint64_t recorded : {opened->startTime - 1, opened->startTime + 1}) {
    std::string error;
    EXPECT_FALSE(platform->OpenForTermination(PidOf(child), recorded, error));
    EXPECT_EQ(error, "No such process");
  }
  testsupport::SleepMs(50);
  EXPECT_FALSE(child.HasExited());
  EXPECT_EQ(StateOf(child.pid()), 'S');
}

TEST(ProcfsProcesses, SignatureShowsChildrenComingAndGoing) {
  TempDir dir, dir2;
  auto platform = CreateProcfsProcessPlatform();
  auto countOf = [&](const std::string& item) {
    std::string signature;
    platform->AppendSnapshotSignature(signature);
    size_t count = 0;
    for (size_t at = signature.find(item); at != std::string::npos; at = signature.find(item, at + 1)) ++count;
    return count;
  };
  EXPECT_EQ(countOf("vz-sig one,"), 0u);
  {
    ChildProcess a(dir.path(), "vz-sig one");
    ChildProcess b(dir2.path(), "vz-sig one");
    EXPECT_EQ(countOf("vz-sig one,"), 2u);
  }
  EXPECT_EQ(countOf("vz-sig one,"), 0u);

  // It appends: what the caller already holds stays in front.
  std::string signature = "kept,";
  platform->AppendSnapshotSignature(signature);
  EXPECT_EQ(signature.rfind("kept,", 0), 0u);
  EXPECT_NE(signature.find(",platform_tests,"), std::string::npos);
}

}  // namespace
}  // namespace vz::platform
