// The schedule timer, the start-up check and the task, with a test clock
// that sets the hour and the weekday, the schedule in an in-memory machine
// hive, a real HTTP server on 127.0.0.1 and real folders as shares.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "DownloadTestSupport.h"
#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/FileSystem.h"
#include "platform/testing/MemoryRegistry.h"
#include "update/ScheduledTask.h"

namespace vz::update {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TestHttpServer;
using testsupport::WriteFile;

constexpr std::string_view kKey = kScheduleKeyPath;

// Weekdays as the clock counts them (0 = Sunday).
constexpr int kMonday = 1, kWednesday = 3, kSunday = 0;

class ScheduleTest : public ::testing::Test {
 protected:
  ScheduleTest()
      : client(platform::CreateHttpClient()),
        downloader(*client, ui.download, ui.events, clock, app.path()),
        runUpdate(downloader, ui.dialogs, [this] { return server.BaseUrl(); }, app.path(), [this] { ++restarts; }),
        task(ScheduledTaskServices{registry, log, clock, downloader, runUpdate, app.path(), [this] { ++restarts; }},
             ui.timers) {}

  void Set(const std::string& name, const std::string& value) {
    platform::RegistryKey key;
    ASSERT_TRUE(registry.OpenKey(platform::RegistryRoot::LocalMachine, kKey, platform::RegAccess::ReadWrite,
                                 platform::RegDisposition::CreateIfMissing, key));
    ASSERT_TRUE(key.WriteString(name, value));
  }
  std::string Get(const std::string& name) {
    platform::RegistryKey key;
    std::string text;
    if (registry.OpenKey(platform::RegistryRoot::LocalMachine, kKey, platform::RegAccess::Read,
                         platform::RegDisposition::OpenExisting, key))
      key.ReadString(name, text);
    return text;
  }
  // An active schedule that updates from the Internet.
  void Schedule(const std::string& type, const std::string& day, const std::string& hour, bool runMissed) {
    Set("ScheDeac", "0");
    Set("Schtype", type);
    Set("Schday", day);
    Set("ScheTime", hour);
    Set("Runupdate", "0");
    Set("UpdInet", "-1");
    Set("UpdLan", "0");
    Set("CopyLan", "0");
    Set("Runmissed", runMissed ? "-1" : "0");
  }
  void At(int weekday, int hour) {
    clock.now = {2026, 3, 2 + (weekday + 6) % 7, hour, 4, 0, weekday};
  }
  bool Logged(const std::string& text) const {
    for (const auto& e : log.Entries())
      if (e.size() >= text.size() && e.compare(e.size() - text.size(), text.size(), text) == 0) return true;
    return false;
  }
  size_t CountLogged(const std::string& text) const {
    size_t n = 0;
    for (const auto& e : log.Entries()) n += e.size() >= text.size() && e.compare(e.size() - text.size(), text.size(), text) == 0;
    return n;
  }

  TempDir app;
  TestHttpServer server;
  ui::scripted::ScriptedFrontEnd ui;
  platform::testing::FakeClock clock;
  platform::testing::MemoryRegistry registry;
  log::ShieldLog log{clock};
  std::unique_ptr<platform::HttpClient> client;
  UpdateDownloader downloader;
  RunUpdateCommand runUpdate;
  int restarts = 0;
  ScheduledTask task;
};

TEST_F(ScheduleTest, DailyRunsInItsHourOrMissedLaterOnlyWithRunmissed) {
  testsupport::ServeUpdateSet(server);
  Schedule("0", "0", "10", /*runMissed=*/false);
  At(kWednesday, 15);
  task.OnTimer();
  EXPECT_FALSE(Logged(kLogScheduleTaskRunning));
  EXPECT_EQ("0", Get("Runupdate"));

  Set("Runmissed", "True");
  task.OnTimer();
  EXPECT_TRUE(Logged(kLogRunningMissed));
  EXPECT_TRUE(Logged(kLogScheduleTaskRunning));
  EXPECT_EQ("1", Get("Runupdate"));
  EXPECT_EQ(1, restarts);
  EXPECT_TRUE(platform::FileExists(app.file("Proc1.pck")));
  EXPECT_TRUE(platform::FileExists(app.file(kDownloadLogFileName)));
  EXPECT_FALSE(downloader.ScheduledRun());

  // Done for the period: later ticks do nothing until the hour after midnight re-arms it.
  size_t entries = log.Entries().size();
  task.OnTimer();
  EXPECT_EQ(entries, log.Entries().size());
  At(kWednesday, 0);
  task.OnTimer();
  EXPECT_EQ("0", Get("Runupdate"));

  // In its own hour, without Runmissed.
  Set("Runmissed", "0");
  At(kWednesday, 10);
  task.OnTimer();
  EXPECT_EQ("1", Get("Runupdate"));
  EXPECT_EQ(2u, CountLogged(kLogScheduleTaskRunning));
  // Nothing new on the server: no restart, DW.log as it was.
  EXPECT_EQ(1, restarts);
}

TEST_F(ScheduleTest, WeeklyRunsOnItsDayCatchesUpInTheWeekAndRearmsOnMondays) {
  testsupport::ServeUpdateSet(server);
  Schedule("1", "2", "9", /*runMissed=*/true);  // Wednesday at 9
  At(kMonday, 9);
  task.OnTimer();
  EXPECT_FALSE(Logged(kLogScheduleTaskRunning));
  At(kWednesday, 9);
  task.OnTimer();
  EXPECT_EQ(1u, CountLogged(kLogScheduleTaskRunning));
  EXPECT_FALSE(Logged(kLogRunningMissed));

  // Re-armed only in the hour after midnight of a Monday.
  At(kWednesday + 1, 0);
  task.OnTimer();
  EXPECT_EQ("1", Get("Runupdate"));
  At(kMonday, 0);
  task.OnTimer();
  EXPECT_EQ("0", Get("Runupdate"));

  // Missed: caught up on a later day of the same week.
  At(kWednesday + 2, 8);
  task.OnTimer();
  EXPECT_EQ(1u, CountLogged(kLogRunningMissed));
  EXPECT_EQ("1", Get("Runupdate"));

  // A Sunday schedule is never caught up: no day comes after Sunday.
  Schedule("1", "6", "9", /*runMissed=*/true);
  At(kSunday, 10);
  size_t missed = CountLogged(kLogRunningMissed);
  task.OnTimer();
  EXPECT_EQ(missed + 1, CountLogged(kLogRunningMissed));  // the same day, a later hour: the hour rule
  Set("Runupdate", "0");
  At(kMonday, 10);
  task.OnTimer();  // the next week's Monday: before Sunday again, nothing
  EXPECT_EQ(missed + 1, CountLogged(kLogRunningMissed));
}

TEST_F(ScheduleTest, DeactivatedOrMalformedSchedules) {
  // A key made by the start-up check holds only ScheDeac = "1".
  task.StartupCheck();
  EXPECT_EQ("1", Get("ScheDeac"));
  EXPECT_FALSE(Logged(kLogCouldNotOpenHive));
  At(kWednesday, 10);
  task.OnTimer();
  EXPECT_TRUE(log.Entries().empty());

  // Malformed values are one "Error Running schedule" each tick, nothing run.
  Schedule("0", "0", "ten", false);
  At(kWednesday, 10);
  task.OnTimer();
  EXPECT_EQ(1u, CountLogged(kLogErrorRunningSchedule));
  Schedule("1", "x", "10", false);
  task.OnTimer();
  EXPECT_EQ(2u, CountLogged(kLogErrorRunningSchedule));
  Schedule("0", "0", "10", false);
  Set("ScheDeac", "");
  task.OnTimer();
  EXPECT_EQ(3u, CountLogged(kLogErrorRunningSchedule));
  EXPECT_FALSE(Logged(kLogScheduleTaskRunning));
  EXPECT_EQ(0, server.TotalRequests());

  // No key at all: nothing done, nothing said.
  registry.DeleteKey(platform::RegistryRoot::LocalMachine, kKey);
  size_t entries = log.Entries().size();
  task.OnTimer();
  EXPECT_EQ(entries, log.Entries().size());
}

TEST_F(ScheduleTest, AnAtStartupScheduleRunsAtStartAndNotAgainAfterItsOwnRestart) {
  testsupport::ServeUpdateSet(server);
  Schedule("2", "0", "0", false);
  task.StartupCheck();
  EXPECT_TRUE(Logged(kLogRunningAtStartup));
  EXPECT_EQ(1, restarts);
  // The timer never runs it.
  At(kWednesday, 0);
  task.OnTimer();
  EXPECT_EQ(1u, CountLogged(kLogScheduleTaskRunning));
  // The restarted shield finds every file of the announced size.
  task.StartupCheck();
  EXPECT_EQ(2u, CountLogged(kLogScheduleTaskRunning));
  EXPECT_EQ(1, restarts);
}

TEST_F(ScheduleTest, LanUpdateCopiesOnlyChangedFilesPresentOnBothSidesThenRestartsOnce) {
  TempDir share;
  for (const char* name : {"Proc1.pck", "Proc2.pck", "MostCProc.txt", "Procupd.txt"}) WriteFile(app.file(name), "local");
  WriteFile(share.file("Proc1.pck"), "local");             // same size: stays
  WriteFile(share.file("Proc2.pck"), "new archive");       // changed
  WriteFile(share.file("MOSTCPROC.TXT"), "new expected");  // changed, another case
  WriteFile(share.file("Proc3.pck"), "no local copy");     // not taken
  Schedule("0", "0", "10", false);
  Set("UpdLan", "-1");
  Set("UpdLanS", share.path());  // with its trailing separator
  task.RunScheduledTask();
  EXPECT_EQ("local", ReadFile(app.file("Proc1.pck")));
  EXPECT_EQ("new archive", ReadFile(app.file("Proc2.pck")));
  EXPECT_EQ("new expected", ReadFile(app.file("MostCProc.txt")));
  EXPECT_FALSE(platform::FileExists(app.file("Proc3.pck")));
  EXPECT_FALSE(platform::FileExists(app.file("MOSTCPROC.TXT")));
  EXPECT_TRUE(Logged("File Updated : Proc2.pck"));
  EXPECT_TRUE(Logged("File Updated : MOstcproc.txt"));
  EXPECT_EQ(1u, CountLogged(kLogNewUpdatesRestarting));
  EXPECT_EQ(1, restarts);

  // All sizes equal now: only "Schedule Task running".
  size_t entries = log.Entries().size();
  task.RunScheduledTask();
  EXPECT_EQ(entries + 1, log.Entries().size());
  EXPECT_TRUE(log.Entries().front().find(kLogScheduleTaskRunning) != std::string::npos);
  EXPECT_EQ(1, restarts);

  EXPECT_EQ(0, server.TotalRequests());

  // A blank share does nothing.
  Set("UpdLanS", "  /");
  WriteFile(share.file("Proc2.pck"), "changed again");
  task.RunScheduledTask();
  EXPECT_EQ("new archive", ReadFile(app.file("Proc2.pck")));
  EXPECT_EQ(1, restarts);
}

TEST_F(ScheduleTest, CopyToShareIntoAFolderOrOntoAPathThenRestarts) {
  testsupport::ServeUpdateSet(server);
  TempDir share;
  Schedule("0", "0", "10", false);
  Set("CopyLan", "-1");
  Set("CopyLanS", share.path());
  task.RunScheduledTask();
  EXPECT_TRUE(Logged(kLogCopyFinished));
  EXPECT_EQ((std::vector<std::string>{"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "mostcproc.txt", "procupd.txt"}),
            testsupport::FolderNames(share.path()));
  EXPECT_EQ(testsupport::UpdateContents("mostcproc.txt"), ReadFile(share.file("mostcproc.txt")));
  EXPECT_EQ(1, restarts);

  // Onto a plain path: each file replaces the one before, the last remains.
  for (const auto& f : UpdateFileSet()) ::unlink(app.file(f.localName).c_str());
  Set("CopyLanS", share.file("all-in-one"));
  task.RunScheduledTask();
  EXPECT_EQ(testsupport::UpdateContents("procupd.txt"), ReadFile(share.file("all-in-one")));
  EXPECT_EQ(2, restarts);

  // A blank target is a path problem; the restart follows all the same.
  for (const auto& f : UpdateFileSet()) ::unlink(app.file(f.localName).c_str());
  Set("CopyLanS", "  /");
  task.RunScheduledTask();
  EXPECT_TRUE(Logged(kLogCopyPathProblem));
  EXPECT_EQ(3, restarts);
}

}  // namespace
}  // namespace vz::update

namespace vz::update {
namespace {

// The whole shield: its schedule timer runs the task, the task downloads from
// the server the record names, saves DW.log and restarts the shield, which is
// seen as a program started with "Restart".
TEST(ScheduledShield, ANewDataRunWritesDwLogAndStartsTheShieldWithRestart) {
  TempDir app;
  testsupport::TestHttpServer server;
  testsupport::ServeUpdateSet(server);
  platform::SetAppFolderOverride(app.path());
  std::string program = app.file("fake-shield");
  WriteFile(program, "#!/bin/sh\necho \"$@\" > " + app.file("started.txt") + "\n");
  ::chmod(program.c_str(), 0755);

  platform::testing::FakeProcesses processes;
  platform::testing::MemoryRegistry registry;
  platform::testing::FakeClock clock;
  clock.now = {2026, 3, 4, 10, 1, 2, 3};
  ui::scripted::ScriptedFrontEnd front;
  int terminations = 0;
  {
    platform::RegistryKey key;
    ASSERT_TRUE(registry.OpenKey(platform::RegistryRoot::LocalMachine, kScheduleKeyPath, platform::RegAccess::ReadWrite,
                                 platform::RegDisposition::CreateIfMissing, key));
    for (auto [name, value] : {std::pair{"ScheDeac", "0"}, {"Schtype", "0"}, {"Schday", "0"}, {"ScheTime", "10"},
                               {"Runupdate", "0"}, {"UpdLan", "0"}, {"CopyLan", "0"}, {"Runmissed", "0"}})
      ASSERT_TRUE(key.WriteString(name, value));
    ASSERT_TRUE(key.WriteString("UpdateServer", server.BaseUrl()));
  }
  app::Shield shield(front.ports(), app::ShieldServices{processes, registry, platform::LinuxPathConventions(), clock},
                     app::CommandLine{}, [&] { ++terminations; });
  shield.CreateWindows();
  shield.SetRestartProgram(program);
  ui::scripted::ManualTimer* timer = front.timers.WithInterval(ScheduledTask::kIntervalMs);
  ASSERT_NE(nullptr, timer);
  timer->Fire();

  EXPECT_EQ(testsupport::UpdateContents("proc2.pck"), ReadFile(app.file("Proc2.pck")));
  std::vector<std::string> dw = testsupport::SplitLines(ReadFile(app.file(kDownloadLogFileName)));
  ASSERT_FALSE(dw.empty());
  EXPECT_EQ("2026-03-04 10:01:02 : Downloaded procupd.txt", dw.front());
  EXPECT_EQ("2026-03-04 10:01:02 : Begin Download proc1.pck", dw.back());
  EXPECT_EQ(" Restarting", front.mainWindow.caption);
  EXPECT_EQ(1, terminations);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !ReadFile(app.file("started.txt")).empty(); }, 5000));
  EXPECT_EQ("Restart\n", ReadFile(app.file("started.txt")));
  EXPECT_FALSE(front.dialogs.WasShown("Restart Vazeru"));  // a scheduled run asks nothing
  platform::SetAppFolderOverride("");
}

}  // namespace
}  // namespace vz::update
