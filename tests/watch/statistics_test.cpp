#include <gtest/gtest.h>

#include "app/MainCycle.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "ui/scripted/ScriptedPorts.h"
#include "watch/ProcessStatistics.h"

namespace vz::watch {
namespace {

using ui::StatisticsLabel;

class StatisticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.now = {2026, 3, 4, 10, 20, 30, 3};
    clock.ticks = 5000000;
    fake.Start(1, "init", "/sbin/init");
    fake.Start(200, "bash", "/bin/bash");
  }

  // One even tick of the main cycle: the refresh, then the statistics step.
  void StepAt(int tick) {
    processes.RefreshProcessList();
    statistics.Step(tick);
  }
  void PassSeconds(int seconds) {
    clock.ticks += static_cast<std::uint64_t>(seconds) * 1000;
    clock.now.second = (clock.now.second + seconds) % 60;
  }
  std::string Label(StatisticsLabel label) { return view.statistics[label]; }

  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  ui::scripted::RecordingMainWindow view;
  inventory::ProcessList processes{fake, view, clock};
  ProcessStatistics statistics{processes, view, clock};
};

TEST_F(StatisticsTest, StartsAndEndsAreStampedAndStartsLogged) {
  // The first step finds the running processes: one stamp, one start.
  StepAt(2);
  EXPECT_EQ(statistics.LatestStart(), "bash");
  EXPECT_EQ(Label(StatisticsLabel::LatestStart), "bash");
  EXPECT_EQ(view.startLog, (std::vector<std::string>{"2026-03-04 10:20:30 - bash"}));
  EXPECT_EQ(Label(StatisticsLabel::ProcessChanges), "1");

  // Three starts within one step: one stamp, one line naming the newest.
  PassSeconds(2);
  fake.Start(300, "make");
  fake.Start(301, "cc1plus");
  fake.Start(302, "as");
  StepAt(4);
  EXPECT_EQ(statistics.LatestStart(), "as");
  ASSERT_EQ(view.startLog.size(), 2u);
  EXPECT_EQ(view.startLog[1], "2026-03-04 10:20:32 - as");

  // An end: a stamp, no line; the latest start stays.
  PassSeconds(2);
  fake.End(300);
  StepAt(6);
  EXPECT_EQ(view.startLog.size(), 2u);
  EXPECT_EQ(statistics.LatestStart(), "as");

  // A step without a change of the count stamps nothing. A start and an end
  // between two steps leave the count as it was: no stamp, no line, though
  // the change count (names compared) still counts it.
  PassSeconds(2);
  StepAt(8);
  fake.End(301);
  fake.Start(303, "ld");
  PassSeconds(2);
  StepAt(10);
  EXPECT_EQ(view.startLog.size(), 2u);
  EXPECT_EQ(Label(StatisticsLabel::ProcessChanges), "4");
  EXPECT_EQ(statistics.StartLog(), view.startLog);
  // Tick 10 counts: three stamps (10:20:30, :32, :34), all within the minute.
  EXPECT_EQ(Label(StatisticsLabel::LastMinute), "3");
  EXPECT_EQ(Label(StatisticsLabel::Last15Minutes), "3");
}

TEST_F(StatisticsTest, CountsFollowTheTenthTicksAndOldStampsGo) {
  StepAt(2);  // stamp at 0 s
  PassSeconds(50);
  fake.Start(300, "make");
  StepAt(4);  // stamp at 50 s
  StepAt(6);  // no change, not a tenth tick: the counts are not shown yet
  EXPECT_EQ(Label(StatisticsLabel::LastMinute), "");
  PassSeconds(30);
  StepAt(10);  // at 80 s: the first stamp is past the minute
  EXPECT_EQ(Label(StatisticsLabel::LastMinute), "1");
  EXPECT_EQ(Label(StatisticsLabel::Last15Minutes), "2");

  // 16 quiet minutes: at the next tenth tick both counts are 0.
  PassSeconds(16 * 60);
  StepAt(12);
  EXPECT_EQ(Label(StatisticsLabel::Last15Minutes), "2");
  StepAt(20);
  EXPECT_EQ(Label(StatisticsLabel::LastMinute), "0");
  EXPECT_EQ(Label(StatisticsLabel::Last15Minutes), "0");
  EXPECT_EQ(statistics.Last15Minutes(), "0");
}

TEST_F(StatisticsTest, TheNewestProcessIsTheLatestStartedOnceIdentifiersWrap) {
  StepAt(2);
  // Identifiers wrapped: the new process has the lowest one, so it is listed
  // first, but it started last.
  fake.Start(90, "wrapped", "", platform::PriorityClass::Normal, 999999);
  StepAt(4);
  EXPECT_EQ(statistics.LatestStart(), "wrapped");
  // A process naming itself with control characters is shown without them.
  fake.Start(400, std::string("evil\n\x1b[2J"), "", platform::PriorityClass::Normal, 1000000);
  StepAt(6);
  EXPECT_EQ(statistics.LatestStart(), "evil??[2J");
  EXPECT_EQ(view.startLog.back().find('\x1b'), std::string::npos);
}

// The main cycle collects only while "Show process statistic" is on.
TEST_F(StatisticsTest, NothingIsCollectedWhileTheStatisticsAreOff) {
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  log::ShieldLog log{clock};
  app::LiveOptions options;
  options.showProcessStatistics = false;
  inventory::ProcessList list{fake, *ports.mainWindow, clock};
  ProcessStatistics cycleStatistics{list, front.mainWindow, clock};
  app::MainCycle cycle{ports, log, list, options, clock};
  app::MainCycle::Steps steps;
  steps.statistics = [&] { cycleStatistics.Step(cycle.TickCount()); };
  cycle.SetSteps(steps);
  for (int i = 0; i < 10; ++i) cycle.Tick();
  EXPECT_TRUE(cycleStatistics.StartLog().empty());
  EXPECT_TRUE(front.mainWindow.statistics.empty());

  options.showProcessStatistics = true;
  cycle.Tick();
  cycle.Tick();
  EXPECT_EQ(cycleStatistics.StartLog().size(), 1u);
  EXPECT_EQ(cycleStatistics.LatestStart(), "bash");
}

}  // namespace
}  // namespace vz::watch
