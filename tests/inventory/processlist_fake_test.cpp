// The process list's bookkeeping over an in-memory process platform, where
// "nothing changed" can be arranged exactly.
#include <gtest/gtest.h>

#include "inventory/ProcessList.h"
#include "platform/testing/FakeProcesses.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::inventory {
namespace {

using platform::testing::FakeProcesses;

struct Scan {
  std::string name;
  std::uint32_t pid;
  int position;
};

class ProcessListFake : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Start(1, "init", "/sbin/init");
    fake.Start(40, "kworker");  // no path: listed through the snapshot
    fake.Start(50, "bash", "/usr/bin/bash");
    list.SetScanFunction([this](const std::string& name, std::uint32_t pid, int position) {
      scans.push_back({name, pid, position});
    });
    mainTimer = timers.CreateTimer(1000, [] {});
    list.SetMainTimer(mainTimer.get());
  }

  FakeProcesses fake;
  ui::scripted::RecordingMainWindow view;
  ui::scripted::ManualTimerFactory timers;
  std::unique_ptr<ui::Timer> mainTimer;
  ProcessList list{fake, view};
  std::vector<Scan> scans;
};

TEST_F(ProcessListFake, NothingChangedStopsAtTheFirstStep) {
  list.RefreshProcessList();
  ASSERT_EQ(scans.size(), 3u);
  int enumerations = fake.enumerateCalls;
  size_t statusWrites = view.statusHistory[3].size();
  list.RefreshProcessList();
  EXPECT_EQ(fake.enumerateCalls, enumerations);
  EXPECT_EQ(view.statusHistory[3].size(), statusWrites);
  EXPECT_EQ(scans.size(), 3u);
  EXPECT_EQ(list.ProcessChangeCount(), 1u);
  // A forced refresh rebuilds without a change, once.
  list.SetForceRefresh(true);
  list.RefreshProcessList();
  EXPECT_EQ(fake.enumerateCalls, enumerations + 1);
  EXPECT_FALSE(list.ForceRefresh());
}

TEST_F(ProcessListFake, SameNameTakingTheSamePlaceIsNoChange) {
  list.RefreshProcessList();
  fake.End(50);
  fake.Start(60, "bash", "/usr/bin/bash");
  EXPECT_FALSE(list.SnapshotChanged());
}

TEST_F(ProcessListFake, ScanMemorySkipsCleanPositionsAndRescansReportedOnes) {
  list.RefreshProcessList();
  ASSERT_EQ(scans.size(), 3u);
  EXPECT_EQ(scans[1].name, "kworker");
  EXPECT_EQ(list.Table().Cell(6, 1), "");
  // The scan found init and kworker clean; bash raised an alert (slot not written).
  list.RememberClean(0, 1);
  list.RememberClean(1, 40);
  scans.clear();
  fake.Start(70, "zsh", "/usr/bin/zsh");
  list.RefreshProcessList();
  // bash is scanned again at its position, and the newcomer at its own.
  ASSERT_EQ(scans.size(), 2u);
  EXPECT_EQ(scans[0].name, "bash");
  EXPECT_EQ(scans[0].position, 2);
  EXPECT_EQ(scans[1].name, "zsh");
  EXPECT_EQ(scans[1].pid, 70u);

  // A process starting before the others moves them: they are scanned again.
  list.RememberClean(2, 50);
  list.RememberClean(3, 70);
  scans.clear();
  fake.Start(2, "early", "/usr/bin/early");
  list.RefreshProcessList();
  std::vector<std::string> names;
  for (const auto& s : scans) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"early", "kworker", "bash", "zsh"}));
  // Reset: every position is new again.
  list.ResetScanMemory();
  EXPECT_EQ(list.ScanMemoryAt(0), kNoProcess);
}

TEST_F(ProcessListFake, AProcessThatReplacedItsProgramIsScannedAgain) {
  list.RefreshProcessList();
  for (int i = 0; i < 3; ++i) list.RememberClean(i, list.Table().IdentifierAt(i));
  scans.clear();
  // exec: same identifier and start time, another program.
  platform::testing::FakeProcess* bash = fake.Find(50);
  bash->name = "xmrig";
  bash->fullPath = "/tmp/.cache/xmrig";
  list.RefreshProcessList();
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].name, "xmrig");
  EXPECT_EQ(scans[0].pid, 50u);
}

TEST_F(ProcessListFake, TimerStoppedDuringTheScanAndRunningAfterEvenWhenAScanThrows) {
  ui::Timer* timer = mainTimer.get();
  bool runningDuringScan = true;
  list.SetScanFunction([&](const std::string& name, std::uint32_t, int) {
    runningDuringScan = timer->IsRunning();
    if (name == "bash") throw std::runtime_error("registry value missing");
  });
  timer->Start();
  EXPECT_THROW(list.RefreshProcessList(), std::runtime_error);
  EXPECT_FALSE(runningDuringScan);
  EXPECT_TRUE(timer->IsRunning());
}

TEST_F(ProcessListFake, SelectionFollowsItsProcessNotTheRow) {
  int selectionRebuilds = 0;
  list.SetOnSelectionRebuilt([&] { ++selectionRebuilds; });
  list.RefreshProcessList();
  EXPECT_EQ(selectionRebuilds, 0) << "nothing selected, nothing to follow";
  list.Select(2);
  ASSERT_EQ(list.SelectedIdentity()->name, "bash");
  fake.Start(80, "top", "/usr/bin/top");
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_EQ(view.processSelection, 2);
  // A process before it ends: the selection moves up with bash.
  fake.End(40);
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_EQ(view.processSelection, 1);
  EXPECT_EQ(list.SelectedIdentity()->pid, 50u);
  // Another process takes bash's identifier (and row): not what was chosen.
  fake.ReusePid(50, "bash", "/usr/bin/bash");
  list.SetForceRefresh(true);  // the same names: the change test sees nothing
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_EQ(view.processSelection, -1);
  EXPECT_FALSE(list.SelectedIdentity());
  EXPECT_EQ(selectionRebuilds, 3);
  list.Select(0);
  fake.End(1);
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), -1);
}

TEST_F(ProcessListFake, PathWithSemicolonStaysWhole) {
  fake.Start(90, "odd", "/opt/a;b/odd");
  list.RefreshProcessList();
  int row = list.Table().RowCount() - 1;
  EXPECT_EQ(list.Table().Cell(6, row), "/opt/a;b/odd");
  EXPECT_EQ(list.Table().Cell(0, row), "odd");
}

}  // namespace
}  // namespace vz::inventory
