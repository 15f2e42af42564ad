// Live protection end to end: a program folder with packed data lists, the
// real /proc, real child processes under listed names, and the scripted alert.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/testing/PeImageBuilder.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz {
namespace {

using testsupport::ChildProcess;
using testsupport::TempDir;

// Tests run side by side and see each other's children: names carry the PID.
std::string Unique(const std::string& name) { return name + "-" + std::to_string(::getpid()); }

class LiveProtection : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAppFolderOverride(app.path());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
         "X\tTest Spy\t" + Unique("vz-spy-one") + "\t(\"http://example.com/spy\")Watches you\r\n"
         "X\tSecond Spy\t" + Unique("vz-spy-two") + "\tAlso watches\r\n"
         "X\tKernel Spy\tkthreadd\tListed but has no program file\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    registry = testsupport::OpenTestRegistry(registryDir);
    shield = std::make_unique<app::Shield>(ports, app::ShieldServices{*processes, *registry, platform::LinuxPathConventions()}, app::CommandLine{},
                                           [] {});
    shield->CreateWindows();
    front.alert.onShow = [this](protection::AlertModel& alert) {
      shown.push_back(alert.Fields());
      if (reaction) reaction(alert);
    };
  }
  void TearDown() override { platform::SetAppFolderOverride(""); }

  // The first tick loads the lists, the second refreshes and scans.
  void RunFirstRefresh() {
    shield->Cycle().Tick();
    shield->Cycle().Tick();
  }
  void RefreshNow() {
    shield->Processes().SetForceRefresh(true);
    shield->Processes().RefreshProcessList();
  }

  TempDir app, registryDir, programs;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  std::unique_ptr<platform::ProcessPlatform> processes = platform::CreateProcfsProcessPlatform();
  std::unique_ptr<platform::RegistryStore> registry;
  std::unique_ptr<app::Shield> shield;
  std::vector<protection::AlertFields> shown;
  std::function<void(protection::AlertModel&)> reaction;
};

// Keeps the findings a sink of the shield log is given.
struct FindingSink final : log::ShieldLogSink {
  void Receive(const log::ShieldLogLine& line) override {
    if (line.finding) findings.push_back(*line.finding);
  }
  std::vector<log::Finding> findings;
};

TEST_F(LiveProtection, ListedChildIsAlertedOnceAndKillEndsIt) {
  ChildProcess spy(programs.path(), Unique("vz-spy-one"));
  FindingSink sink;
  shield->Log().SetSink(&sink);
  reaction = [](protection::AlertModel& alert) { alert.KillProcess(); };
  RunFirstRefresh();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Possible Spyware Process Found (Memory)");
  EXPECT_EQ(shown[0].nameLine, "Test Spy    (" + Unique("vz-spy-one") + ")");
  EXPECT_EQ(shown[0].location, spy.path());
  EXPECT_EQ(shown[0].identifier, std::to_string(spy.pid()));
  EXPECT_EQ(shown[0].link, "http://example.com/spy");
  EXPECT_EQ(shown[0].description, "Watches you");
  EXPECT_TRUE(spy.WaitForExit(5000));
  EXPECT_EQ(shield->Log().Entries().front().substr(10), "Possible Spyware found : Test Spy    (" + Unique("vz-spy-one") + ")");
  // A sink of the log learns the finding as fields.
  ASSERT_EQ(sink.findings.size(), 1u);
  EXPECT_EQ(sink.findings[0].entryName, "Test Spy");
  EXPECT_EQ(sink.findings[0].programPath, spy.path());
  EXPECT_EQ(sink.findings[0].pid, static_cast<std::uint32_t>(spy.pid()));
  EXPECT_EQ(sink.findings[0].action, "alert");
  shield->Log().SetSink(nullptr);
  // The alert stopped the main cycle while open and started it again after.
  EXPECT_TRUE(shield->Cycle().MainTimer().IsRunning());
}

TEST_F(LiveProtection, ExcludedFileRaisesNoMoreAlerts) {
  ChildProcess first(programs.path(), Unique("vz-spy-one"));
  reaction = [](protection::AlertModel& alert) { alert.AddToExcludeList(); };
  RunFirstRefresh();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(testsupport::ReadFile(app.file("EXCFDir.QVA")), first.path() + "\r\n");
  // The same program started again, and the first still running: silence.
  ChildProcess second(programs.path(), Unique("vz-spy-one"));
  RefreshNow();
  EXPECT_EQ(shown.size(), 1u);
}

TEST_F(LiveProtection, AlertedProcessLeftRunningIsReportedAtEachRefresh) {
  ChildProcess spy(programs.path(), Unique("vz-spy-one"));
  RunFirstRefresh();
  ASSERT_EQ(shown.size(), 1u);
  // Closed without action: its slot stays unwritten.
  ChildProcess other(programs.path(), Unique("vz-harmless"));
  RefreshNow();
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(LiveProtection, NoAlertWithoutProgramFileOrWhenTheFileIsGone) {
  ChildProcess gone(programs.path(), Unique("vz-spy-two"));
  ASSERT_TRUE(platform::RemoveFile(gone.path()));
  RunFirstRefresh();
  // kthreadd is listed too, but has no program file: never flagged.
  EXPECT_TRUE(shown.empty());
}

// What is judged is the program that runs. A file claiming to be Microsoft's
// put at a listed program's path while it runs does not clear it, and a FIFO
// put at another's path never holds up the refresh.
TEST_F(LiveProtection, AListedProgramIsJudgedByWhatRunsNotByWhatItsPathNowHolds) {
  ChildProcess spy(programs.path(), Unique("vz-spy-one"));
  ChildProcess hidden(programs.path(), Unique("vz-spy-two"));
  platform::testing::VersionResourceLayout microsoft;
  microsoft.strings = {{"CompanyName", "Microsoft Corporation"}};
  ASSERT_TRUE(platform::RemoveFile(spy.path()));
  testsupport::WriteFile(spy.path(), platform::testing::BuildPeImage(platform::testing::BuildVersionBlock(microsoft)));
  ASSERT_TRUE(platform::RemoveFile(hidden.path()));
  ASSERT_EQ(::mkfifo(hidden.path().c_str(), 0600), 0);

  EXPECT_TRUE(testsupport::ReturnsPromptly([&] { RunFirstRefresh(); }, hidden.path()));
  // The FIFO is no program file: that process is passed over, as one whose
  // file is gone; the other is alerted.
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].location, spy.path());
}

TEST_F(LiveProtection, TwoListedChildrenGiveTwoAlertsInListOrder) {
  ChildProcess one(programs.path(), Unique("vz-spy-one"));
  ChildProcess two(programs.path(), Unique("vz-spy-two"));
  RunFirstRefresh();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].nameLine, "Test Spy    (" + Unique("vz-spy-one") + ")");
  EXPECT_EQ(shown[1].nameLine, "Second Spy    (" + Unique("vz-spy-two") + ")");
  EXPECT_EQ(front.alert.modalShows, 2);
}

TEST_F(LiveProtection, LoadedCountsAndProcessScanIsCaseBlind) {
  ChildProcess upper(programs.path(), Unique("VZ-SPY-ONE"));
  RunFirstRefresh();
  EXPECT_EQ(front.mainWindow.statusPanels[1], "Known Spyware : 2");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].nameLine, "Test Spy    (" + Unique("VZ-SPY-ONE") + ")");
}

}  // namespace
}  // namespace vz
