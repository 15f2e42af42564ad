// The process list over the real /proc with real child processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "inventory/ProcessList.h"
#include "platform/linux/ProcfsProcesses.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::inventory {
namespace {

using testsupport::ChildProcess;
using testsupport::TempDir;

class ProcessListTest : public ::testing::Test {
 protected:
  std::unique_ptr<platform::ProcessPlatform> processes = platform::CreateProcfsProcessPlatform();
  ui::scripted::RecordingMainWindow view;
  ProcessList list{*processes, view};

  int RowOf(pid_t pid) const {
    for (int i = 0; i < list.Table().RowCount(); ++i)
      if (list.Table().Row(i).identifier == std::to_string(pid)) return i;
    return -1;
  }
};

TEST_F(ProcessListTest, ChildrenAppearWithNamePathAndPriority) {
  TempDir dir;
  ChildProcess normal(dir.path(), "vz-plain-sleeper");
  ChildProcess below(dir.path(), "vz-below-sleeper", 5);
  ChildProcess low(dir.path(), "vz-low-sleeper", 19);
  list.SetForceRefresh(true);
  list.RefreshProcessList();

  struct Expect {
    ChildProcess* child;
    const char* name;
    const char* priority;
  };
  for (const Expect& e : {Expect{&normal, "vz-plain-sleeper", "Normal"}, Expect{&below, "vz-below-sleeper", "Below Normal"},
                          Expect{&low, "vz-low-sleeper", "Low"}}) {
    int row = RowOf(e.child->pid());
    ASSERT_GE(row, 0) << e.name;
    EXPECT_EQ(list.Table().Cell(0, row), e.name);
    EXPECT_EQ(list.Table().Cell(5, row), e.priority) << e.name;
    EXPECT_EQ(list.Table().Cell(6, row), e.child->path());
    EXPECT_EQ(list.Names()[static_cast<size_t>(row)], e.name);
    EXPECT_EQ(list.Table().IdentifierAt(row), static_cast<std::uint32_t>(e.child->pid()));
  }
  // The visible list and the status panels follow the table.
  EXPECT_EQ(view.processList.size(), static_cast<size_t>(list.Table().RowCount()));
  EXPECT_EQ(view.statusPanels[0], "Processes : " + std::to_string(list.Table().RowCount()));
  EXPECT_NE(view.statusPanels[3].find(" Processes list updated"), std::string::npos);
}

TEST_F(ProcessListTest, ProcessThatCannotBeOpenedIsListedWithoutPath) {
  // PID 2 is the kernel's thread starter: it has no program file.
  list.SetForceRefresh(true);
  list.RefreshProcessList();
  int row = RowOf(2);
  ASSERT_GE(row, 0);
  EXPECT_FALSE(list.Table().Cell(0, row).empty());
  EXPECT_EQ(list.Table().Cell(6, row), "");
  BuiltProcessList built = list.BuildProcessList();
  auto kthreadd = std::find_if(built.records.begin(), built.records.end(), [](const auto& r) { return r.pid == 2; });
  ASSERT_NE(kthreadd, built.records.end());
  EXPECT_FALSE(kthreadd->opened);
  EXPECT_TRUE(kthreadd->path.empty());
}

TEST_F(ProcessListTest, ChangeDetectionCountsTestsNotProcesses) {
  std::vector<int> scanned;
  list.SetScanFunction([&](const std::string&, std::uint32_t, int position) { scanned.push_back(position); });
  // The first test after start always reports a change.
  EXPECT_TRUE(list.SnapshotChanged());
  EXPECT_EQ(list.ProcessChangeCount(), 1u);

  // Ten children between two tests are one change.
  TempDir dir;
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < 10; ++i) children.push_back(std::make_unique<ChildProcess>(dir.path(), "vz-ten-" + std::to_string(i)));
  list.RefreshProcessList();
  EXPECT_EQ(list.ProcessChangeCount(), 2u);
  // Every position is new to the scan memory, so every process is handed over.
  EXPECT_EQ(scanned.size(), static_cast<size_t>(list.Table().RowCount()));

  // Emptied signatures make the next test report a change again.
  list.ResetSignatures();
  EXPECT_TRUE(list.SnapshotChanged());
}

}  // namespace
}  // namespace vz::inventory
