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
  list.Select(1);
  fake.End(20);
  termination.KillSelectedProcess();
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].caption, "Something went wrong...");
  EXPECT_EQ(front.dialogs.shown[0].text.rfind("Could not get access to this process.\r\r", 0), 0u);
  EXPECT_GT(front.dialogs.shown[0].text.size(), std::string("Could not get access to this process.\r\r").size());
  // The list was rebuilt all the same.
  EXPECT_EQ(list.Names().size(), 1u);

  // A PID that names a newer process than the table recorded is not touched.
  fake.Start(30, "victim", "/usr/bin/victim");
  list.RefreshProcessList();
  list.Select(1);
  fake.ReusePid(30, "victim", "/usr/bin/victim");
  termination.KillSelectedProcess();
  EXPECT_TRUE(fake.terminations().empty());
  EXPECT_NE(fake.Find(30), nullptr);
  EXPECT_EQ(front.dialogs.shown.size(), 2u);
}

TEST_F(TerminationTest, AlertKillWaitsWithTheBusyCursorAndReportsFailures) {
  std::uint64_t startTime = list.Table().Row(1).startTime;
  EXPECT_TRUE(termination.KillAlertedProcess("20", startTime));
  EXPECT_GE(clock.ticks, 1500u);
  EXPECT_GE(front.events.calls, 15);
  EXPECT_FALSE(front.mainWindow.busy);
  EXPECT_EQ(fake.terminations().size(), 1u);
  // Gone now: the access box, and false.
  EXPECT_FALSE(termination.KillAlertedProcess("20", startTime));
  EXPECT_TRUE(front.dialogs.WasShown("Could not get access to this process."));
  EXPECT_FALSE(termination.KillAlertedProcess("not a number", 0));
  EXPECT_EQ(ParseIdentifier(" 42 "), 42u);
  EXPECT_EQ(ParseIdentifier("4x2"), 0u);
}

}  // namespace
}  // namespace vz::protection
