#include <gtest/gtest.h>

#include "inventory/ProcessList.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "protection/ProcessTermination.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::protection {
namespace {

using ui::DialogAnswer;

class TerminationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Start(10, "init", "/sbin/init");
    fake.Start(20, "badtool", "/tmp/badtool");
    list.SetForceRefresh(true);
    list.RefreshProcessList();
    // The busy wait advances the clock through the pump.
    front.events.onPump = [this] { clock.ticks += 100; };
  }

  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  inventory::ProcessList list{fake, *ports.mainWindow, clock};
  ProcessTermination termination{fake, list, ports, clock};
};

TEST_F(TerminationTest, NothingWithoutASelectionAndNothingOnNo) {
  termination.KillProcessCommand();
  EXPECT_TRUE(front.dialogs.shown.empty());
  list.Select(1);
  int enumerations = fake.enumerateCalls;
  front.dialogs.answers = {DialogAnswer::No};
  termination.KillProcessCommand();
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].text, "Sure you want to stop this Process ?badtool");
  EXPECT_EQ(front.dialogs.shown[0].buttons, ui::DialogButtons::YesNo);
  EXPECT_TRUE(fake.terminations().empty());
  EXPECT_EQ(fake.enumerateCalls, enumerations);
}

TEST_F(TerminationTest, YesEndsTheSelectedProcessAndRebuildsTheList) {
  list.Select(1);
  front.dialogs.answers = {DialogAnswer::Yes};
  termination.KillProcessCommand();
  ASSERT_EQ(fake.terminations().size(), 1u);
  EXPECT_EQ(fake.terminations()[0].pid, 20u);
  EXPECT_EQ(fake.terminations()[0].exitCode, platform::kStillActive);
  EXPECT_EQ(front.mainWindow.statusPanels[2], "User Killed Process : badtool");
  EXPECT_EQ(list.Names(), std::vector<std::string>{"init"});
}

TEST_F(TerminationTest, AnEndedOrReusedProcessGivesTheAccessBoxAndIsNeverSignalled) {
  inventory::ProcessIdentity badtool = list.Table().IdentityAt(1);
  fake.End(20);
  termination.KillSelectedProcess(badtool);
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].caption, "Something went wrong...");
  EXPECT_EQ(front.dialogs.shown[0].text, "Could not get access to this process.\r\rNo such process");
  // The list was rebuilt all the same.
  EXPECT_EQ(list.Names().size(), 1u);

  // A PID that names a newer process than the table recorded is not touched.
  fake.Start(30, "victim", "/usr/bin/victim");
  list.RefreshProcessList();
  inventory::ProcessIdentity victim = list.Table().IdentityAt(1);
  fake.ReusePid(30, "victim", "/usr/bin/victim");
  termination.KillSelectedProcess(victim);
  // Nor is one that now runs another program (an exec keeps PID and start time).
  fake.Start(40, "viewer", "/usr/bin/viewer");
  list.RefreshProcessList();
  inventory::ProcessIdentity viewer = list.Table().IdentityAt(2);
  ASSERT_EQ(viewer.name, "viewer");
  fake.Find(40)->fullPath = "/tmp/dropped";
  termination.KillSelectedProcess(viewer);
  // Listed without a path, the snapshot name tells the program apart.
  fake.Start(50, "kworker");
  list.RefreshProcessList();
  inventory::ProcessIdentity worker = list.Table().IdentityAt(3);
  ASSERT_TRUE(worker.path.empty());
  fake.Find(50)->name = "other";
  termination.KillSelectedProcess(worker);
  // An identity without a start time names nothing for certain.
  termination.KillSelectedProcess(inventory::ProcessIdentity{10, 0, "/sbin/init", "init"});

  EXPECT_TRUE(fake.terminations().empty());
  ASSERT_EQ(front.dialogs.shown.size(), 5u);
  for (const auto& box : front.dialogs.shown) EXPECT_EQ(box.text.rfind("Could not get access to this process.", 0), 0u);
}

// The confirmation box runs its own event loop: the one-second cycle rebuilds
// the list while it is open. The answer still ends the process it named.
TEST_F(TerminationTest, TheAnswerEndsTheProcessAskedAboutWhateverTheListDidMeanwhile) {
  fake.Start(15, "helper", "/usr/bin/helper");
  fake.Start(30, "important-db", "/usr/sbin/important-db");
  list.RefreshProcessList();
  ASSERT_EQ(list.Names(), (std::vector<std::string>{"init", "helper", "badtool", "important-db"}));
  list.Select(2);
  front.dialogs.whileOpen = [this](const ui::DialogRequest&) {
    // A process with a lower PID ends: every row below it moves up.
    fake.End(15);
    list.RefreshProcessList();
  };
  front.dialogs.answers = {DialogAnswer::Yes};
  termination.KillProcessCommand();
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].text, "Sure you want to stop this Process ?badtool");
  ASSERT_EQ(fake.terminations().size(), 1u);
  EXPECT_EQ(fake.terminations()[0].pid, 20u);
  EXPECT_NE(fake.Find(30), nullptr);
  EXPECT_EQ(front.mainWindow.statusPanels[2], "User Killed Process : badtool");
  // The ended process took its selection with it.
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"init", "important-db"}));
  EXPECT_EQ(list.Selected(), -1);

  // The process asked about ends while the box is open: nothing else is hit.
  list.Select(1);
  front.dialogs.whileOpen = [this](const ui::DialogRequest& box) {
    if (box.buttons != ui::DialogButtons::YesNo) return;
    fake.End(30);
    fake.Start(35, "bystander", "/usr/bin/bystander");
    list.RefreshProcessList();
  };
  front.dialogs.answers = {DialogAnswer::Yes};
  termination.KillProcessCommand();
  EXPECT_EQ(fake.terminations().size(), 1u);
  EXPECT_NE(fake.Find(35), nullptr);
  EXPECT_TRUE(front.dialogs.WasShown("Could not get access to this process."));
}

TEST_F(TerminationTest, AlertKillWaitsWithTheBusyCursorAndReportsFailures) {
  inventory::ProcessIdentity badtool = list.Table().IdentityAt(1);
  EXPECT_TRUE(termination.KillAlertedProcess(badtool));
  EXPECT_GE(clock.ticks, 1500u);
  EXPECT_GE(front.events.calls, 15);
  EXPECT_FALSE(front.mainWindow.busy);
  EXPECT_EQ(fake.terminations().size(), 1u);
  // Gone now: the access box, and false.
  EXPECT_FALSE(termination.KillAlertedProcess(badtool));
  EXPECT_TRUE(front.dialogs.WasShown("Could not get access to this process."));
  EXPECT_FALSE(termination.KillAlertedProcess(inventory::ProcessIdentity{}));
  EXPECT_EQ(fake.terminations().size(), 1u);
  EXPECT_EQ(ParseIdentifier(" 42 "), 42u);
  EXPECT_EQ(ParseIdentifier("4x2"), 0u);
}

}  // namespace
}  // namespace vz::protection
