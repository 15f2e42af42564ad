// A shield running in this process and qvadmin run as a separate program on
// the same hive files: the shield's next schedule tick acts on what the
// console wrote, with no restart of the shield in between.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "DownloadTestSupport.h"
#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/testing/FakeProcesses.h"
#include "update/ScheduledTask.h"

namespace vz::update {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

class ShieldFollowsAdminTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VAZERU_REGISTRY_DIR", registryDir.path().c_str(), 1);
    platform::SetAppFolderOverride(app.path());
  }
  void TearDown() override {
    platform::SetAppFolderOverride("");
    ::unsetenv("VAZERU_REGISTRY_DIR");
  }

  // Runs qvadmin as its own process; true when it succeeded.
  bool Admin(std::vector<std::string> args) {
    args.insert(args.begin(), testsupport::ProgramPath("qvadmin"));
    std::string out = scratch.file("admin" + std::to_string(++adminRuns));
    testsupport::ProgramRun run(args, {}, out);
    int status = -1;
    if (!run.WaitForExit(20000, &status)) {
      ADD_FAILURE() << "qvadmin did not end";
      return false;
    }
    EXPECT_EQ(status, 0) << ReadFile(out);
    return status == 0;
  }

  size_t CountLogged(const log::ShieldLog& log, const std::string& text) const {
    size_t n = 0;
    for (const auto& e : log.Entries()) n += e.find(text) != std::string::npos;
    return n;
  }

  TempDir registryDir;
  TempDir app;
  TempDir share;
  TempDir scratch;
  int adminRuns = 0;
};

TEST_F(ShieldFollowsAdminTest, NextTickRunsWhatQvadminActivatedAndNothingOnceItDeactivated) {
  std::string program = app.file("fake-shield");
  WriteFile(program, "#!/bin/sh\necho \"$@\" >> " + scratch.file("started.txt") + "\n");
  ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
  WriteFile(app.file("Proc2.pck"), "old archive");
  WriteFile(app.file("MostCProc.txt"), "expected");
  WriteFile(share.file("Proc2.pck"), "a newer, longer archive");
  WriteFile(share.file("MostCProc.txt"), "EXPECTED");  // same size: left alone

  auto registry = testsupport::OpenTestRegistry(registryDir);
  platform::testing::FakeProcesses processes;
  platform::testing::FakeClock clock;
  clock.now = {2026, 3, 4, 14, 5, 0, 3};  // a Wednesday, 14:05
  ui::scripted::ScriptedFrontEnd front;
  int terminations = 0;
  app::Shield shield(front.ports(), app::ShieldServices{processes, *registry, platform::LinuxPathConventions(), clock},
                     app::CommandLine{}, [&] { ++terminations; });
  shield.CreateWindows();
  shield.SetRestartProgram(program);
  ui::scripted::ManualTimer* timer = front.timers.WithInterval(ScheduledTask::kIntervalMs);
  ASSERT_NE(nullptr, timer);

  // The start-up phase: no record yet, so the shield creates a deactivated one.
  shield.Schedule().StartupCheck();
  shield.Schedule().StartTimer();
  EXPECT_TRUE(timer->IsRunning());
  timer->Fire();
  EXPECT_EQ(0u, CountLogged(shield.Log(), kLogScheduleTaskRunning));
  EXPECT_EQ(0u, CountLogged(shield.Log(), kLogErrorRunningSchedule));

  // Another process sets a daily run in this hour from the share and activates it.
  ASSERT_TRUE(Admin({"set", "Schtype", "Daily"}));
  ASSERT_TRUE(Admin({"set", "ScheTime", "14"}));
  ASSERT_TRUE(Admin({"set", "Runmissed", "false"}));
  ASSERT_TRUE(Admin({"set", "UpdInet", "false"}));
  ASSERT_TRUE(Admin({"set", "UpdLan", "true"}));
  ASSERT_TRUE(Admin({"set", "UpdLanS", share.path()}));
  ASSERT_TRUE(Admin({"activate"}));

  timer->Fire();
  EXPECT_EQ(1u, CountLogged(shield.Log(), kLogScheduleTaskRunning));
  EXPECT_EQ(1u, CountLogged(shield.Log(), "File Updated : Proc2.pck"));
  EXPECT_EQ(0u, CountLogged(shield.Log(), "File Updated : MOstcproc.txt"));
  EXPECT_EQ(1u, CountLogged(shield.Log(), kLogNewUpdatesRestarting));
  EXPECT_EQ("a newer, longer archive", ReadFile(app.file("Proc2.pck")));
  EXPECT_EQ("expected", ReadFile(app.file("MostCProc.txt")));
  EXPECT_EQ(1, terminations);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !ReadFile(scratch.file("started.txt")).empty(); }, 5000));
  EXPECT_EQ("Restart\n", ReadFile(scratch.file("started.txt")));

  // The console deactivates; it also re-arms the period, so only the
  // deactivation keeps the next tick from running the task again.
  ASSERT_TRUE(Admin({"deactivate"}));
  {
    auto reader = testsupport::OpenTestRegistry(registryDir);
    ScheduleRecord record(*reader);
    ASSERT_TRUE(record.Open(platform::RegAccess::Read));
    EXPECT_EQ("0", record.ReadText(kRunupdate));
    EXPECT_TRUE(record.ReadBoolean(kScheDeac));
  }
  WriteFile(share.file("Proc2.pck"), "yet another archive, longer still");
  size_t entries = shield.Log().Entries().size();
  timer->Fire();
  EXPECT_EQ(entries, shield.Log().Entries().size());
  EXPECT_EQ("a newer, longer archive", ReadFile(app.file("Proc2.pck")));
  EXPECT_EQ(1, terminations);
  EXPECT_EQ("Restart\n", ReadFile(scratch.file("started.txt")));
}

// The start-up check on a machine hive that is there but cannot be read
// reports it and leaves the hive as it is, rather than taking it for a
// missing record and writing a new one over it.
TEST_F(ShieldFollowsAdminTest, StartupCheckReportsAnUnreadableHiveAndKeepsIt) {
  std::string hive = registryDir.file("machine.reg");
  ASSERT_EQ(::mkdir(hive.c_str(), 0700), 0);
  WriteFile(hive + "/keep", "x");
  auto registry = testsupport::OpenTestRegistry(registryDir);

  platform::testing::FakeClock clock;
  log::ShieldLog log{clock};
  ui::scripted::ScriptedFrontEnd ui;
  std::unique_ptr<platform::HttpClient> client = platform::CreateHttpClient();
  UpdateDownloader downloader(*client, ui.download, ui.events, clock, app.path());
  int restarts = 0;
  RunUpdateCommand runUpdate(downloader, ui.dialogs, [] { return std::string(); }, app.path(), [&] { ++restarts; });
  ScheduledTask task(ScheduledTaskServices{*registry, log, clock, downloader, runUpdate, app.path(), [&] { ++restarts; }},
                     ui.timers);

  task.StartupCheck();
  EXPECT_EQ(1u, CountLogged(log, kLogCouldNotOpenHive));
  struct stat st {};
  ASSERT_EQ(::stat(hive.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode)) << "the unreadable hive was replaced";
  EXPECT_EQ("x", ReadFile(hive + "/keep"));
  EXPECT_FALSE(platform::FileExists(hive + ".bad"));
  // The tick reads nothing from it and says nothing.
  size_t entries = log.Entries().size();
  task.OnTimer();
  EXPECT_EQ(entries, log.Entries().size());
  EXPECT_EQ(0, restarts);

  // Once the hive is readable again the check creates the deactivated record.
  ASSERT_EQ(::unlink((hive + "/keep").c_str()), 0);
  ASSERT_EQ(::rmdir(hive.c_str()), 0);
  task.StartupCheck();
  EXPECT_EQ(1u, CountLogged(log, kLogCouldNotOpenHive));
  ScheduleRecord record(*registry);
  ASSERT_TRUE(record.Open(platform::RegAccess::Read));
  EXPECT_EQ("1", record.ReadText(kScheDeac));
}

}  // namespace
}  // namespace vz::update
