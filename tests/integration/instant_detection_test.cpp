// The event road of live protection: starts reported by the kernel (or by the
// scripted source) reach the same verdict and alert as the refresh, once per
// process whichever road saw it first, without ever stalling the event thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/linux/ProcConnectorEvents.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/testing/ScriptedExecGuard.h"
#include "platform/testing/ScriptedProcessEvents.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz {
namespace {

using testsupport::ChildProcess;
using testsupport::TempDir;

std::string Unique(const std::string& name) { return name + "-" + std::to_string(::getpid()); }

class InstantDetection : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAppFolderOverride(app.path());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
                             "X\tTest Spy\t" + Unique("vz-spy-one") + "\tWatches you\r\n"
                             "X\tBrief Spy\t" + Unique("vz-brief-spy") + "\tComes and goes\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    registry = testsupport::OpenTestRegistry(registryDir);
    front.alert.onShow = [this](protection::AlertModel& alert) {
      shown.push_back(alert.Fields());
      if (reaction) reaction(alert);
    };
  }
  void TearDown() override {
    shield.reset();
    platform::SetAppFolderOverride("");
  }

  // A shield on the given processes and event source (nullptr: refresh only),
  // through its first tick (the lists loaded, the event road started).
  void StartShield(platform::ProcessPlatform& processes, platform::ProcessEventSource* events,
                   platform::ExecGuard* guard = nullptr, bool block = false) {
    app::ShieldServices services{processes, *registry, platform::LinuxPathConventions()};
    services.processEvents = events;
    services.execGuard = guard;
    app::CommandLine commandLine;
    commandLine.block = block;
    shield = std::make_unique<app::Shield>(ports, services, commandLine, [] {});
    shield->CreateWindows();
    shield->Cycle().Tick();
  }
  void RefreshNow() {
    shield->Processes().SetForceRefresh(true);
    shield->Processes().RefreshProcessList();
  }
  // The UI thread's turn: what the event thread posted runs now.
  int RunPosted() { return front.dispatcher.RunPosted(); }
  std::map<std::uint32_t, int> AlertsByPid() const {
    std::map<std::uint32_t, int> count;
    for (const auto& fields : shown) ++count[fields.process.pid];
    return count;
  }
  size_t LogLinesStartingWith(const std::string& start) const {
    size_t n = 0;
    for (const auto& entry : shield->Log().Entries())
      if (entry.find(start) != std::string::npos) ++n;
    return n;
  }

  TempDir app, registryDir, programs;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  std::unique_ptr<platform::RegistryStore> registry;
  std::unique_ptr<app::Shield> shield;
  std::vector<protection::AlertFields> shown;
  std::function<void(protection::AlertModel&)> reaction;
};

// Keeps the findings a sink of the shield log is given (the log itself keeps
// only its newest lines).
struct FindingSink final : log::ShieldLogSink {
  void Receive(const log::ShieldLogLine& line) override {
    if (line.finding) findings.push_back(*line.finding);
  }
  std::vector<log::Finding> findings;
};

// --- The real kernel events and real children ---------------------------------

class RealEvents : public InstantDetection {
 protected:
  // 200 children of 10 ms each under a listed name, one after another; the
  // refresh runs every two seconds of real time meanwhile, as the main cycle
  // runs it. Returns the alerts per child.
  std::map<std::uint32_t, int> RunBriefChildren(std::vector<pid_t>& pids) {
    const std::string program = testsupport::CopyProgram("/bin/sleep", programs.path(), Unique("vz-brief-spy"));
    auto lastRefresh = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i) {
      pid_t pid = testsupport::SpawnProgram({program, "0.01"});
      testsupport::ReapChild(pid);
      pids.push_back(pid);
      RunPosted();
      if (std::chrono::steady_clock::now() - lastRefresh >= std::chrono::seconds(2)) {
        shield->Processes().RefreshProcessList();
        lastRefresh = std::chrono::steady_clock::now();
      }
    }
    return AlertsByPid();
  }

  std::unique_ptr<platform::ProcessPlatform> processes = platform::CreateProcfsProcessPlatform();
  std::unique_ptr<platform::ProcessEventSource> events = platform::CreateProcConnectorEventSource();
};

TEST_F(RealEvents, EveryBriefListedChildIsAlertedOnceWithItsPath) {
  StartShield(*processes, events.get());
  if (!shield->InstantEvents().Live())
    GTEST_SKIP() << "process events not available here: " << shield->Log().Entries().front();
  EXPECT_EQ(shield->LiveRoads(), "instant events");
  FindingSink sink;
  shield->Log().SetSink(&sink);
  // One listed program that stays: the events alert it, and the refresh sees it too.
  ChildProcess stays(programs.path(), Unique("vz-spy-one"));
  std::vector<pid_t> pids;
  RunBriefChildren(pids);
  // Until the event road has caught up: nothing new for half a second.
  size_t lastCount = 0;
  int quietPolls = 0;
  auto settled = [&] {
    RunPosted();
    quietPolls = shown.size() == lastCount ? quietPolls + 1 : 0;
    lastCount = shown.size();
    return quietPolls >= 50 && AlertsByPid().count(static_cast<std::uint32_t>(stays.pid())) == 1;
  };
  ASSERT_TRUE(testsupport::WaitUntil(settled, 10000));
  RefreshNow();
  RefreshNow();
  RunPosted();

  auto alerts = AlertsByPid();
  int once = 0, more = 0;
  for (pid_t pid : pids) {
    auto it = alerts.find(static_cast<std::uint32_t>(pid));
    if (it == alerts.end()) continue;
    once += it->second == 1;
    more += it->second > 1;
  }
  EXPECT_EQ(more, 0);
  // Every one while the event thread gets a core within 10 ms; a machine
  // starved by other work may cost a few (the refresh cannot see them either).
  EXPECT_GE(once, 194);
  EXPECT_EQ(alerts[static_cast<std::uint32_t>(stays.pid())], 1);
  for (const auto& fields : shown) {
    if (fields.process.pid == static_cast<std::uint32_t>(stays.pid())) continue;
    EXPECT_EQ(fields.location, programs.file(Unique("vz-brief-spy")));
    EXPECT_EQ(fields.nameLine, "Brief Spy    (" + Unique("vz-brief-spy") + ")");
  }
  // Each one logged, with the path it ran from.
  size_t logged = 0;
  for (const auto& finding : sink.findings)
    logged += finding.entryName == "Brief Spy" && finding.programPath == programs.file(Unique("vz-brief-spy"));
  EXPECT_EQ(logged, static_cast<size_t>(once));
  shield->Log().SetSink(nullptr);
  std::printf("instant events: %d of 200 children of 10 ms alerted exactly once\n", once);
}

TEST_F(RealEvents, WithoutEventsMostBriefChildrenAreMissed) {
  StartShield(*processes, nullptr);
  EXPECT_EQ(shield->LiveRoads(), "refresh only");
  std::vector<pid_t> pids;
  auto alerts = RunBriefChildren(pids);
  int caught = 0;
  for (pid_t pid : pids) caught += alerts.count(static_cast<std::uint32_t>(pid)) ? 1 : 0;
  EXPECT_LT(caught, 100);
  std::printf("refresh only: %d of 200 children of 10 ms alerted\n", caught);
}

TEST_F(RealEvents, AProcessThatExecsIntoAListedProgramIsCaughtAtTheExec) {
  StartShield(*processes, events.get());
  if (!shield->InstantEvents().Live())
    GTEST_SKIP() << "process events not available here: " << shield->Log().Entries().front();
  const std::string program = testsupport::CopyProgram("/bin/sleep", programs.path(), Unique("vz-spy-one"));
  pid_t pid = testsupport::SpawnProgram({"/bin/sh", "-c", "exec " + program + " 0.05"});
  testsupport::ReapChild(pid);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return RunPosted() >= 0 && AlertsByPid().count(static_cast<std::uint32_t>(pid)) == 1; }, 5000));
  EXPECT_EQ(shown.back().location, program);
}

// --- The scripted source: what the kernel may do at the worst moment ----------

class ScriptedEvents : public InstantDetection {
 protected:
  void SetUp() override {
    InstantDetection::SetUp();
    spyPath = testsupport::CopyProgram(testsupport::TestHelperPath("vz-test-sleeper"), programs.path(),
                                       Unique("vz-spy-one"));
    cleanPath = testsupport::CopyProgram(testsupport::TestHelperPath("vz-test-sleeper"), programs.path(),
                                         Unique("vz-harmless"));
  }
  platform::ProcessStart Start(platform::Pid pid, std::uint64_t startTime, const std::string& path) {
    return platform::ProcessStart{pid, startTime, path, path.substr(path.rfind('/') + 1)};
  }

  platform::testing::FakeProcesses fake;
  platform::testing::ScriptedProcessEvents events;
  std::string spyPath, cleanPath;
};

TEST_F(ScriptedEvents, RefusedEventsLeaveOneLogLineAndTheRefreshAsBefore) {
  events.refusal = "Operation not permitted";
  fake.Start(300, Unique("vz-spy-one"), spyPath);
  StartShield(fake, &events);
  EXPECT_FALSE(shield->InstantEvents().Live());
  EXPECT_EQ(shield->LiveRoads(), "refresh only");
  EXPECT_EQ(LogLinesStartingWith("found by the two-second refresh only"), 1u);
  shield->Cycle().Tick();  // the refresh of the second tick
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].location, spyPath);
  EXPECT_EQ(events.startCalls, 1);
}

TEST_F(ScriptedEvents, EitherRoadAlertsAProcessOnce) {
  StartShield(fake, &events);
  ASSERT_TRUE(shield->InstantEvents().Live());
  // Seen by the events first, then by the refresh: one alert.
  fake.Start(300, Unique("vz-spy-one"), spyPath, platform::PriorityClass::Normal, 1000);
  events.EmitStart(Start(300, 1000, spyPath));
  RunPosted();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].identifier, "300");
  RefreshNow();
  RefreshNow();
  EXPECT_EQ(shown.size(), 1u);
  // Seen by the refresh first (its event came late): the event adds nothing.
  fake.Start(301, Unique("vz-spy-one"), spyPath, platform::PriorityClass::Normal, 1001);
  RefreshNow();
  ASSERT_EQ(shown.size(), 2u);
  events.EmitStart(Start(301, 1001, spyPath));
  RunPosted();
  EXPECT_EQ(shown.size(), 2u);
  // The same PID with a new start time is another process.
  fake.ReusePid(300, Unique("vz-spy-one"), spyPath);
  events.EmitStart(Start(300, fake.Find(300)->startTime, spyPath));
  RunPosted();
  EXPECT_EQ(shown.size(), 3u);
}

TEST_F(ScriptedEvents, AnEndedProcessIsReportedAndAReusedPidNeverSignalled) {
  StartShield(fake, &events);
  // The start was captured; by the time the alert shows, the PID names another process.
  fake.Start(400, "bash", "/usr/bin/bash", platform::PriorityClass::Normal, 9000);
  reaction = [](protection::AlertModel& alert) { alert.KillProcess(); };
  events.EmitStart(Start(400, 10, spyPath));
  RunPosted();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].location, spyPath);
  EXPECT_EQ(LogLinesStartingWith("Possible Spyware found : Test Spy"), 1u);
  EXPECT_TRUE(fake.terminations().empty());
  EXPECT_NE(fake.Find(400), nullptr);
}

TEST_F(ScriptedEvents, ABurstIsOnePostedCallJudgedInTurnsAndAnOverflowForcesARefresh) {
  StartShield(fake, &events);
  shield->Processes().SetForceRefresh(false);  // the start-up's own forced refresh
  for (platform::Pid pid = 1000; pid < 2000; ++pid) events.EmitStart(Start(pid, pid, cleanPath));
  EXPECT_EQ(front.dispatcher.PostedCount(), 1u);
  // Each turn judges a batch and hands the rest to the next turn.
  int turns = RunPosted();
  EXPECT_EQ(turns, static_cast<int>((1000 + protection::InstantDetection::kBatch - 1) /
                                    protection::InstantDetection::kBatch));
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(shield->Processes().ForceRefresh());

  // More than the inbox holds: the rest is left to the refresh.
  const size_t beyond = protection::InstantDetection::kInboxCapacity + 10;
  for (platform::Pid pid = 0; pid < beyond; ++pid) events.EmitStart(Start(5000 + pid, 1, cleanPath));
  events.EmitStart(Start(99999, 1, spyPath));
  RunPosted();
  EXPECT_TRUE(shield->Processes().ForceRefresh());
  EXPECT_TRUE(shown.empty());
  // A lost batch reported by the kernel does the same.
  shield->Processes().SetForceRefresh(false);
  events.EmitLost();
  RunPosted();
  EXPECT_TRUE(shield->Processes().ForceRefresh());
}

TEST_F(ScriptedEvents, StartsWaitWhileAnAlertIsOpenAndEndAfterStop) {
  StartShield(fake, &events);
  // While an alert is open, a listed start comes and the UI thread runs its
  // events: the open alert is not replaced; the start is judged once it closed.
  platform::Pid nestedPid = 0;
  reaction = [&](protection::AlertModel&) {
    if (nestedPid == 0) return;
    platform::Pid pid = nestedPid;
    nestedPid = 0;
    events.EmitStart(Start(pid, 2, spyPath));
    RunPosted();
  };
  // The open alert is the refresh's.
  fake.Start(600, Unique("vz-spy-one"), spyPath, platform::PriorityClass::Normal, 77);
  nestedPid = 501;
  RefreshNow();
  ASSERT_EQ(shown.size(), 1u);
  RunPosted();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].identifier, "501");
  // The open alert is the event road's own.
  nestedPid = 502;
  events.EmitStart(Start(500, 1, spyPath));
  RunPosted();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[2].identifier, "500");
  EXPECT_EQ(shown[3].identifier, "502");
  EXPECT_EQ(front.alert.reShows, 0);
  EXPECT_EQ(front.alert.modalShows, 4);

  // Live scanning off: starts are not judged.
  shield->Options().liveScanProcesses = false;
  events.EmitStart(Start(502, 3, spyPath));
  RunPosted();
  EXPECT_EQ(shown.size(), 4u);
  shield->Options().liveScanProcesses = true;

  // A call posted before the shield went runs into nothing.
  events.EmitStart(Start(503, 4, spyPath));
  shield.reset();
  EXPECT_FALSE(events.Running());
  RunPosted();
  EXPECT_EQ(shown.size(), 4u);
}

TEST_F(ScriptedEvents, BlockedStartsAreLoggedAndAlertedAsBlocked) {
  platform::testing::ScriptedExecGuard guard;
  StartShield(fake, &events, &guard, true);
  ASSERT_TRUE(shield->BlockingLive());
  EXPECT_EQ(shield->LiveRoads(), "instant events, blocking");
  EXPECT_TRUE(guard.Attempt(700, cleanPath));
  EXPECT_FALSE(guard.Attempt(701, spyPath));
  // The refusal reaches the UI thread only when it takes its turn.
  EXPECT_TRUE(shown.empty());
  RunPosted();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Spyware Blocked Before Start");
  EXPECT_EQ(shown[0].location, spyPath);
  EXPECT_EQ(shown[0].description, "Watches you");
  EXPECT_FALSE(shield->Alert().KillEnabled());
  EXPECT_TRUE(shield->Alert().DeleteEnabled());
  EXPECT_EQ(LogLinesStartingWith("Blocked : Test Spy (" + spyPath + ")"), 1u);

  // Excluded from the alert: the guard lets it run from then on.
  reaction = [](protection::AlertModel& alert) { alert.AddToExcludeList(); };
  EXPECT_FALSE(guard.Attempt(702, spyPath));
  RunPosted();
  EXPECT_TRUE(guard.Attempt(703, spyPath));
  // Turned off: nothing is refused.
  shield->SetBlocking(false);
  EXPECT_FALSE(guard.Running());
  EXPECT_EQ(shield->LiveRoads(), "instant events");
}

TEST_F(ScriptedEvents, WithoutThePrivilegeBlockingIsOffWithOneLogLine) {
  platform::testing::ScriptedExecGuard guard;
  guard.refusal = "Operation not permitted";
  StartShield(fake, &events, &guard, true);
  EXPECT_FALSE(shield->BlockingLive());
  EXPECT_FALSE(shield->Options().blockKnownSpyware);
  EXPECT_EQ(shield->LiveRoads(), "instant events");
  EXPECT_EQ(LogLinesStartingWith("Blocking known spyware is not available (Operation not permitted)"), 1u);
  EXPECT_TRUE(guard.Attempt(800, spyPath));
}

// "Block known spyware" as the window and the tray switch it: both follow
// the guard's real state, whoever switched it.
TEST_F(ScriptedEvents, TheBlockingOptionSwitchesTheGuardFromBoxAndTray) {
  using ui::LiveOption;
  platform::testing::ScriptedExecGuard guard;
  StartShield(fake, &events, &guard);
  auto& view = front.mainWindow;
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(guard.startCalls, 0);

  shield->MainWindow().Switches().OptionClicked(LiveOption::BlockKnownSpyware, true);
  EXPECT_TRUE(guard.Running());
  EXPECT_TRUE(shield->Options().blockKnownSpyware);
  EXPECT_TRUE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(shield->LiveRoads(), "instant events, blocking");
  EXPECT_FALSE(guard.Attempt(900, spyPath));

  shield->MainWindow().RunTrayCommand(app::TrayCommand::BlockKnownSpyware);
  EXPECT_FALSE(guard.Running());
  EXPECT_FALSE(shield->Options().blockKnownSpyware);
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(shield->LiveRoads(), "instant events");
  EXPECT_TRUE(guard.Attempt(901, spyPath));

  shield->MainWindow().RunTrayCommand(app::TrayCommand::BlockKnownSpyware);
  EXPECT_TRUE(guard.Running());
  EXPECT_TRUE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(guard.startCalls, 2);
  // Switched off from the terminal: box and tray follow.
  shield->SetBlocking(false);
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(view.optionsEnabled.count(LiveOption::BlockKnownSpyware), 0u);  // never greyed

  // Started with --block: both show it on.
  shield.reset();
  StartShield(fake, &events, &guard, true);
  EXPECT_TRUE(guard.Running());
  EXPECT_TRUE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_TRUE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
}

TEST_F(ScriptedEvents, AGuardThatCannotStartGreysTheBlockingOptionUnchecked) {
  using ui::LiveOption;
  platform::testing::ScriptedExecGuard guard;
  guard.refusal = "Operation not permitted";
  auto& view = front.mainWindow;
  const std::string why = "Blocking known spyware is not available (Operation not permitted)";

  // Asked for on the command line: refused at the start.
  StartShield(fake, &events, &guard, true);
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.optionsEnabled.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptionsEnabled.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(LogLinesStartingWith(why), 1u);
  // A click that still reaches the model (a stale menu) changes nothing.
  shield->MainWindow().Switches().OptionClicked(LiveOption::BlockKnownSpyware, true);
  shield->MainWindow().RunTrayCommand(app::TrayCommand::BlockKnownSpyware);
  EXPECT_EQ(guard.startCalls, 1);
  EXPECT_FALSE(shield->Options().blockKnownSpyware);
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(LogLinesStartingWith(why), 1u);

  // Not asked for: the first click finds out, and the option greys.
  shield.reset();
  view.optionsEnabled.clear();
  view.trayOptionsEnabled.clear();
  StartShield(fake, &events, &guard);
  EXPECT_EQ(view.optionsEnabled.count(LiveOption::BlockKnownSpyware), 0u);
  shield->MainWindow().Switches().OptionClicked(LiveOption::BlockKnownSpyware, true);
  EXPECT_EQ(guard.startCalls, 2);
  EXPECT_FALSE(shield->Options().blockKnownSpyware);
  EXPECT_FALSE(view.options.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.optionsEnabled.at(LiveOption::BlockKnownSpyware));
  EXPECT_FALSE(view.trayOptionsEnabled.at(LiveOption::BlockKnownSpyware));
  EXPECT_EQ(LogLinesStartingWith(why), 1u);
  EXPECT_EQ(shield->LiveRoads(), "instant events");
}

}  // namespace
}  // namespace vz
