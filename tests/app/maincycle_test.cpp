#include <gtest/gtest.h>

#include "app/MainCycle.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::app {
namespace {

class MainCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.now.hour = 10;
    clock.now.minute = 20;
    clock.now.second = 30;
    fake.Start(1, "init", "/sbin/init");
    MainCycle::Steps steps;
    steps.loadKnowledgeBase = [this] {
      order.push_back("load");
      loadSawTimerRunning = cycle.MainTimer().IsRunning();
    };
    steps.scheduleStartupCheck = [this] { order.push_back("schedule-check"); };
    steps.startScheduleTimer = [this] { order.push_back("schedule-timer"); };
    steps.cpuStep = [this](int tick) { cpuTicks.push_back(tick); };
    steps.statistics = [this] { ++statistics; };
    steps.startupWatch = [this] { startupWatches.push_back(cycle.TickCount()); };
    steps.dataTooOld = [this] { return tooOld; };
    cycle.SetSteps(steps);
    view().showing = true;
  }

  ui::scripted::RecordingMainWindow& view() { return front.mainWindow; }

  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  log::ShieldLog log{clock};
  LiveOptions options;
  inventory::ProcessList processes{fake, *ports.mainWindow, clock};
  MainCycle cycle{ports, log, processes, options, clock};
  std::vector<std::string> order;
  std::vector<int> cpuTicks, startupWatches;
  int statistics = 0;
  bool tooOld = false;
  bool loadSawTimerRunning = true;
};

TEST_F(MainCycleTest, FirstTickLoadsAndEndsWithTheTimerRunningButDoesNotRefresh) {
  cycle.MainTimer().Start();
  cycle.Tick();
  EXPECT_EQ(cycle.TickCount(), 1);
  EXPECT_TRUE(cycle.Initialised());
  EXPECT_EQ(order, (std::vector<std::string>{"load", "schedule-check", "schedule-timer"}));
  EXPECT_FALSE(loadSawTimerRunning);
  EXPECT_TRUE(cycle.MainTimer().IsRunning());
  EXPECT_EQ(fake.enumerateCalls, 0);
  // The window that was showing is minimised and hidden; "Show Vazeru" is enabled.
  EXPECT_FALSE(view().showing);
  EXPECT_EQ(view().state, ui::WindowState::Minimized);
  EXPECT_TRUE(view().showVazeruEnabled);
  EXPECT_FALSE(view().busy);
  EXPECT_EQ(view().statusPanels[4], "10:20:30");
  EXPECT_EQ(cpuTicks, std::vector<int>{1});

  // The second tick refreshes (forced) and gathers the statistics.
  cycle.Tick();
  EXPECT_EQ(fake.enumerateCalls, 1);
  EXPECT_EQ(statistics, 1);
  EXPECT_EQ(order.size(), 3u);  // the start-up phase runs once
}

TEST_F(MainCycleTest, MultiplesOfTheSteps) {
  for (int i = 0; i < 10; ++i) cycle.Tick();
  EXPECT_EQ(startupWatches, (std::vector<int>{5, 10}));
  EXPECT_EQ(statistics, 5);
  EXPECT_EQ(cpuTicks.size(), 10u);
}

TEST_F(MainCycleTest, LiveScanOffStopsRefreshAndStatisticsButNotTheRest) {
  options.liveScanProcesses = false;
  for (int i = 0; i < 10; ++i) cycle.Tick();
  EXPECT_EQ(fake.enumerateCalls, 0);
  EXPECT_EQ(statistics, 0);
  EXPECT_EQ(cpuTicks.size(), 10u);
  EXPECT_EQ(startupWatches.size(), 2u);
  options.liveScanStartups = false;
  options.liveScanProcesses = true;
  options.showProcessStatistics = false;
  for (int i = 0; i < 10; ++i) cycle.Tick();
  EXPECT_EQ(startupWatches.size(), 2u);
  EXPECT_EQ(statistics, 0);
  EXPECT_GE(fake.enumerateCalls, 1);
}

TEST_F(MainCycleTest, OldDataIsReportedOnceInTheFirstTick) {
  tooOld = true;
  cycle.Tick();
  cycle.Tick();
  ASSERT_EQ(log.Entries().size(), 3u);
  EXPECT_EQ(log.Entries()[2], "10:20:30  The spyware Data files is to old !! ");
  EXPECT_EQ(log.Entries()[1],
            "10:20:30    Please update the Spyware data files to get the best protection from Spywares");
  EXPECT_EQ(log.Entries()[0], "10:20:30  The spyware Data files is to old !! Please update");
}

TEST_F(MainCycleTest, AFailingStepIsLoggedAndTheCycleGoesOn) {
  cycle.MutableSteps().loadKnowledgeBase = [] { throw std::runtime_error("Wrong Signature. Archive could be corrupted."); };
  cycle.Tick();
  EXPECT_TRUE(cycle.MainTimer().IsRunning());
  ASSERT_FALSE(log.Entries().empty());
  EXPECT_NE(log.Entries()[0].find("Wrong Signature"), std::string::npos);
  cycle.Tick();
  EXPECT_EQ(fake.enumerateCalls, 1);
}

}  // namespace
}  // namespace vz::app
