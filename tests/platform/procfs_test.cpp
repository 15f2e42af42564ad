// The /proc readers on literal bytes, and the platform pointed at a folder laid
// out like /proc.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/linux/ProcfsProcesses.h"
#include "platform/linux/ProcfsStat.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using namespace procfs;
using testsupport::TempDir;

// A stat line as the kernel writes it: 52 fields, the ones we read set.
std::string StatLine(const std::string& pidAndComm, int nice, std::uint64_t start, int policy) {
  std::string line = pidAndComm + " S";
  for (int field = 4; field <= 52; ++field) {
    std::string value = "0";
    if (field == 19) value = std::to_string(nice);
    if (field == 22) value = std::to_string(start);
    if (field == 41) value = std::to_string(policy);
    line += " " + value;
  }
  return line + "\n";
}

TEST(ProcfsStat, ParsesKernelLines) {
  auto plain = ParseStat(
      "8201 (python3) R 8199 8199 5198 0 -1 4194304 2839 6516 0 0 6 1 9 11 20 0 1 0 67736 16965632 3321 "
      "18446744073709551615 94824690053120 94824690053461 140736869038480 0 0 0 0 16781312 2 0 0 0 17 1 0 0 0 0 0 "
      "94824690064816 94824690065432 94824774492160 140736869041995 140736869042190 140736869042190 140736869044175 0\n");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->pid, 8201u);
  EXPECT_EQ(plain->comm, "python3");
  EXPECT_EQ(plain->state, 'R');
  EXPECT_EQ(plain->nice, 0);
  EXPECT_EQ(plain->startTime, 67736u);
  EXPECT_EQ(plain->policy, 0);

  // Under chrt -f 10: priority -11, rt_priority 10, policy 1.
  auto fifo = ParseStat(
      "8242 (python3) R 8199 8199 5198 0 -1 4194560 2912 6535 1 0 4 4 12 10 -11 0 1 0 67765 16965632 3339 "
      "18446744073709551615 94516761022464 94516761022805 140731034036304 0 0 0 0 16781312 2 0 0 0 17 1 10 1 0 0 0 "
      "94516761034160 94516761034776 94516881035264 140731034044286 140731034044430 140731034044430 140731034046415 0\n");
  ASSERT_TRUE(fifo);
  EXPECT_EQ(fifo->policy, 1);
  EXPECT_EQ(ClassFromSchedule(fifo->policy, fifo->nice), PriorityClass::RealTime);

  // Older kernels stop before the policy field: SCHED_OTHER.
  auto shortLine = ParseStat("7 (old) S 1 7 7 0 -1 0 0 0 0 0 0 0 0 0 20 -5 1 0 4242");
  ASSERT_TRUE(shortLine);
  EXPECT_EQ(shortLine->nice, -5);
  EXPECT_EQ(shortLine->startTime, 4242u);
  EXPECT_EQ(shortLine->policy, 0);
}

TEST(ProcfsStat, CommRunsToTheLastParenthesis) {
  // A program may name itself anything: blanks, ')' and a fake field list.
  std::string tricky = StatLine("4321 (a) S 1 (b) c)", 5, 777, 0);
  auto fields = ParseStat(tricky);
  ASSERT_TRUE(fields);
  EXPECT_EQ(fields->comm, "a) S 1 (b) c");
  EXPECT_EQ(fields->nice, 5);
  EXPECT_EQ(fields->startTime, 777u);
  EXPECT_EQ(StatComm(tricky), "a) S 1 (b) c");
  EXPECT_EQ(StatComm(StatLine("9 (Web Content)", 0, 1, 0)), "Web Content");

  std::string empty = StatLine("12 ()", 0, 3, 0);
  ASSERT_TRUE(ParseStat(empty));
  EXPECT_EQ(ParseStat(empty)->comm, "");
  EXPECT_EQ(StatComm(empty), "");
}

TEST(ProcfsStat, KernelWorkersCountByTheirSteadyName) {
  EXPECT_EQ(procfs::SteadyName("kworker/0:1-events"), "kworker/0:1");
  EXPECT_EQ(procfs::SteadyName("kworker/u8:0-ext4-rsv-conversion"), "kworker/u8:0");
  EXPECT_EQ(procfs::SteadyName("kworker/0:0H+events_highpri"), "kworker/0:0H");
  EXPECT_EQ(procfs::SteadyName("kworker/1:2"), "kworker/1:2");
  EXPECT_EQ(procfs::SteadyName("kworker/R-rcu_gp"), "kworker/R-rcu_gp");
  EXPECT_EQ(procfs::SteadyName("xmrig-notify"), "xmrig-notify");
  EXPECT_EQ(procfs::SteadyName("my-kworker/1-x"), "my-kworker/1-x");
}

TEST(ProcfsStat, RejectsDamagedLines) {
  EXPECT_FALSE(ParseStat(""));
  EXPECT_FALSE(ParseStat("123 python3 S 1"));                          // no parentheses
  EXPECT_FALSE(ParseStat("123 )x( S 1"));                              // reversed
  EXPECT_FALSE(ParseStat("(x) S 1 2 3"));                              // no pid
  EXPECT_FALSE(ParseStat("12a (x) S 1"));                              // bad pid
  EXPECT_FALSE(ParseStat("5 (x) S 1 5 5 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0"));  // cut before the start time
  EXPECT_FALSE(ParseStat("5 (x) S 1 5 5 0 -1 0 0 0 0 0 0 0 0 0 20 zz 1 0 4"));  // nice not a number
  EXPECT_FALSE(ParseStat("5 (x) SS 1 5 5 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 4"));  // state not one letter
  EXPECT_FALSE(ParseStat("5 (x)  S 1 5 5 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 4")); // double blanks
  EXPECT_FALSE(ParseStat("5 (x) S 1 5 5 0 -1 0 0 0 0  0 0 0 0 20 0 1 0 4"));
  EXPECT_EQ(StatComm("5 x) S"), "");
}

TEST(ProcfsStat, ScheduleToClassAndBasePriority) {
  struct Case {
    int policy, nice;
    PriorityClass expected;
    int base;
  };
  const Case cases[] = {
      {0, 0, PriorityClass::Normal, 8},       {0, -20, PriorityClass::High, 13},
      {0, -11, PriorityClass::High, 13},      {0, -10, PriorityClass::AboveNormal, 10},
      {0, -1, PriorityClass::AboveNormal, 10}, {0, 1, PriorityClass::BelowNormal, 6},
      {0, 10, PriorityClass::BelowNormal, 6}, {0, 11, PriorityClass::Idle, 4},
      {0, 19, PriorityClass::Idle, 4},        {3, 5, PriorityClass::BelowNormal, 6},  // SCHED_BATCH goes by nice
      {5, -5, PriorityClass::Idle, 4},        {1, 10, PriorityClass::RealTime, 24},
      {2, 0, PriorityClass::RealTime, 24},    {6, 0, PriorityClass::RealTime, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "policy " << c.policy << " nice " << c.nice);
    EXPECT_EQ(ClassFromSchedule(c.policy, c.nice), c.expected);
    EXPECT_EQ(BasePriorityOfClass(c.expected), c.base);
  }
  EXPECT_STREQ(PriorityClassName(ClassFromSchedule(0, 5)), "Below Normal");
  EXPECT_STREQ(PriorityClassName(ClassFromSchedule(0, 19)), "Low");
}

TEST(ProcfsStat, PathsAndPidNames) {
  EXPECT_EQ(StripDeletedSuffix("/opt/x/tool (deleted)"), "/opt/x/tool");
  EXPECT_EQ(StripDeletedSuffix("/opt/x/tool"), "/opt/x/tool");
  EXPECT_EQ(StripDeletedSuffix(" (deleted)"), " (deleted)");
  EXPECT_EQ(BaseName("/usr/bin/bash"), "bash");
  EXPECT_EQ(BaseName("/memfd:sealed-1"), "memfd:sealed-1");
  EXPECT_EQ(BaseName("plain"), "plain");
  Pid pid = 0;
  EXPECT_TRUE(ParsePidName("4194304", pid));
  EXPECT_EQ(pid, 4194304u);
  EXPECT_FALSE(ParsePidName("self", pid));
  EXPECT_FALSE(ParsePidName("0", pid));
  EXPECT_FALSE(ParsePidName("012", pid));
  EXPECT_FALSE(ParsePidName("12x", pid));
  EXPECT_FALSE(ParsePidName("99999999999", pid));
  EXPECT_FALSE(ParsePidName("", pid));
}

// A folder laid out like /proc: PID folders with stat files and exe links.
class FakeProcRoot {
 public:
  void Add(Pid pid, const std::string& comm, const std::string& exeTarget, int nice = 0, std::uint64_t start = 100) {
    std::string folder = dir_.file(std::to_string(pid));
    std::filesystem::create_directory(folder);
    testsupport::WriteFile(folder + "/stat", StatLine(std::to_string(pid) + " (" + comm + ")", nice, start, 0));
    if (!exeTarget.empty()) std::filesystem::create_symlink(exeTarget, folder + "/exe");
  }
  void Remove(Pid pid) { std::filesystem::remove_all(dir_.file(std::to_string(pid))); }
  std::string root() const { return dir_.path().substr(0, dir_.path().size() - 1); }
  std::string path() const { return dir_.path(); }

 private:
  TempDir dir_;
};

TEST(ProcfsPlatform, ReadsAFolderLaidOutLikeProc) {
  FakeProcRoot proc;
  proc.Add(100, "daemon", "/usr/sbin/daemon", -15, 50);
  proc.Add(9, "kworker/0:1", "");
  proc.Add(10, "old tool", "/opt/Old Tools/old tool (deleted)", 7, 60);
  std::filesystem::create_directory(proc.path() + "self");
  testsupport::WriteFile(proc.path() + "uptime", "1 1\n");
  auto platform = CreateProcfsProcessPlatform(proc.root());

  EXPECT_EQ(platform->EnumerateProcessIds(), (std::vector<Pid>{9, 10, 100}));

  auto daemon = platform->OpenProcess(100);
  ASSERT_TRUE(daemon);
  EXPECT_EQ(daemon->baseName, "daemon");
  EXPECT_EQ(daemon->fullPath, "/usr/sbin/daemon");
  EXPECT_EQ(daemon->priority, PriorityClass::High);
  EXPECT_EQ(daemon->startTime, 50u);
  auto old = platform->OpenProcess(10);
  ASSERT_TRUE(old);
  EXPECT_EQ(old->baseName, "old tool");
  EXPECT_EQ(old->fullPath, "/opt/Old Tools/old tool");
  EXPECT_EQ(old->priority, PriorityClass::BelowNormal);
  EXPECT_FALSE(platform->OpenProcess(9));    // no exe link: a kernel thread
  EXPECT_FALSE(platform->OpenProcess(4242)); // no such process

  auto snapshot = platform->Snapshot();
  ASSERT_EQ(snapshot.size(), 3u);
  EXPECT_EQ(snapshot[0].pid, 9u);
  EXPECT_EQ(snapshot[0].name, "kworker/0:1");
  EXPECT_EQ(snapshot[0].basePriority, 8);
  EXPECT_EQ(snapshot[1].name, "old tool");
  EXPECT_EQ(snapshot[1].basePriority, 6);
  EXPECT_EQ(snapshot[2].basePriority, 13);
  EXPECT_EQ(snapshot[2].startTime, 50u);
}

TEST(ProcfsPlatform, SignatureChangesOnlyWithTheProcessSet) {
  FakeProcRoot proc;
  proc.Add(1, "init", "/sbin/init");
  proc.Add(20, "a b)c", "");
  proc.Add(30, "", "");  // an empty name is skipped
  auto platform = CreateProcfsProcessPlatform(proc.root());
  std::string first, second;
  platform->AppendSnapshotSignature(first);
  platform->AppendSnapshotSignature(second);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.size(), std::string("init,a b)c,").size());
  EXPECT_NE(first.find("init,"), std::string::npos);
  EXPECT_NE(first.find("a b)c,"), std::string::npos);

  proc.Add(40, "newcomer", "/tmp/newcomer");
  std::string third;
  platform->AppendSnapshotSignature(third);
  EXPECT_NE(third, first);
  EXPECT_NE(third.find("newcomer,"), std::string::npos);
  proc.Remove(40);
  std::string fourth;
  platform->AppendSnapshotSignature(fourth);
  EXPECT_EQ(fourth, first);

  // A missing root gives an empty signature and empty lists, not a fault.
  auto missing = CreateProcfsProcessPlatform(proc.path() + "nowhere");
  std::string none;
  missing->AppendSnapshotSignature(none);
  EXPECT_EQ(none, "");
  EXPECT_TRUE(missing->EnumerateProcessIds().empty());
  EXPECT_TRUE(missing->Snapshot().empty());
}

}  // namespace
}  // namespace vz::platform
