// The startup entries in a real terminal shield: real desktop files in
// temporary autostart folders, a real child process under a listed name, the
// commands t, t check and t rm typed at the prompt, and --on-alert lists
// taken unattended.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "platform/FileSystem.h"
#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

using testsupport::ChildProcess;
using testsupport::ProgramRun;
using testsupport::TempDir;

// The first startup watch runs in the fifth tick, about five seconds in.
constexpr int kAlertTimeoutMs = 20000;

std::string Unique(const std::string& name) { return name + "-" + std::to_string(::getpid()); }

class ConsoleStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    instanceName_ = "vazeru-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
                             "X\tBoot Spy\t" + Unique("vz-boot-spy") + "\tStarts with you\r\n"
                             "X\tRun Spy\t" + Unique("vz-run-spy") + "\tRuns beside you\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    std::filesystem::create_directories(UserFolder());
    std::filesystem::create_directories(home.file("autostart"));
    std::filesystem::create_directories(programs.file("My Tools"));
    testsupport::WriteFile(BootSpy(), "program");
    // A quoted command with a blank in its folder and arguments after it.
    Entry("miner", '"' + BootSpy() + "\" --flag %U");
    Entry("notes", "/usr/bin/true");
  }
  void TearDown() override { platform::RemoveInstanceRegion(instanceName_); }

  std::string UserFolder() const { return home.file("config/autostart"); }
  std::string BootSpy() const { return programs.file("My Tools/" + Unique("vz-boot-spy")); }
  void Entry(const std::string& name, const std::string& exec) const {
    testsupport::WriteFile(UserFolder() + "/" + name + ".desktop",
                           "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
  }

  void StartShield(const std::vector<std::string>& options, bool typed) {
    std::vector<std::string> argv{testsupport::ProgramPath("qvshield"), "--console", "--quiet", "--app-folder",
                                  app.path()};
    argv.insert(argv.end(), options.begin(), options.end());
    std::vector<std::string> env{"VAZERU_INSTANCE_NAME=" + instanceName_,
                                 "VAZERU_REGISTRY_DIR=" + home.file("registry"),
                                 "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart"),
                                 "XDG_CONFIG_HOME=" + home.file("config")};
    shield = std::make_unique<ProgramRun>(argv, env, home.file("output.txt"), typed);
  }
  // Waits until text occurs `count` times in the output.
  bool WaitForCount(const std::string& text, size_t count, int timeoutMs = 10000) {
    return testsupport::WaitUntil([&] { return testsupport::CountOccurrences(shield->Output(), text) >= count; },
                                  timeoutMs);
  }
  void EndShield() {
    shield->Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(shield->WaitForExit(5000, &code)) << shield->Output();
    EXPECT_EQ(code, 0);
  }

  TempDir app, home, programs;
  std::unique_ptr<ProgramRun> shield;
  std::string instanceName_;
};

TEST_F(ConsoleStartup, TypedCommandsListCheckAndRemoveEntries) {
  StartShield({}, true);
  // The first watch scans every entry: the alert offers no Kill and no Delete.
  ASSERT_TRUE(WaitForCount("alert> ", 1, kAlertTimeoutMs)) << shield->Output();
  std::string output = shield->Output();
  EXPECT_NE(output.find("Possible Spyware Entry Found in STARTUPS"), std::string::npos) << output;
  EXPECT_NE(output.find("Boot Spy    (" + Unique("vz-boot-spy") + ")"), std::string::npos) << output;
  EXPECT_NE(output.find("Location : " + BootSpy()), std::string::npos) << output;
  EXPECT_NE(output.find("Startup row : 0"), std::string::npos) << output;
  EXPECT_NE(output.find("r remove startup"), std::string::npos) << output;
  EXPECT_EQ(output.find("k kill process"), std::string::npos) << output;
  EXPECT_EQ(output.find("d delete file"), std::string::npos) << output;
  shield->Type("c\n");

  shield->Type("t\n");
  ASSERT_TRUE(WaitForCount("  1  notes  |  /usr/bin/true  |  [HKCU]", 1)) << shield->Output();
  EXPECT_NE(shield->Output().find("  0  miner  |  \"" + BootSpy() + "\" --flag %U  |  [HKCU]"), std::string::npos);

  // The full scan alerts again and ends with its box.
  shield->Type("t check\n");
  ASSERT_TRUE(WaitForCount("alert> ", 2)) << shield->Output();
  shield->Type("c\n");
  ASSERT_TRUE(WaitForCount("[Scan] Scan of Startup Programs Finished", 1)) << shield->Output();
  shield->Type("\n");

  // Removal asks first: Cancel keeps the entry, OK removes it (and only it).
  shield->Type("t rm 0\n");
  ASSERT_TRUE(WaitForCount("[Remove Startup] Remove this startup program : miner", 1)) << shield->Output();
  ASSERT_TRUE(WaitForCount("[o]k/[c]ancel? ", 1));
  shield->Type("c\n");
  shield->Type("t rm 0\n");
  ASSERT_TRUE(WaitForCount("[o]k/[c]ancel? ", 2)) << shield->Output();
  EXPECT_TRUE(platform::FileExists(UserFolder() + "/miner.desktop"));
  shield->Type("o\n");
  ASSERT_TRUE(WaitForCount("removed: miner", 1)) << shield->Output();
  EXPECT_FALSE(platform::FileExists(UserFolder() + "/miner.desktop"));
  EXPECT_TRUE(platform::FileExists(UserFolder() + "/notes.desktop"));
  EXPECT_TRUE(platform::FileExists(BootSpy()));
  shield->Type("t rm 7\n");
  ASSERT_TRUE(WaitForCount("no startup entry in row '7'", 1)) << shield->Output();
  EndShield();
}

TEST_F(ConsoleStartup, UnattendedActionsAreTakenWhereTheAlertOffersThem) {
  ChildProcess runSpy(programs.path(), Unique("vz-run-spy"));
  StartShield({"--on-alert=kill,delete,remove", "--answer=ok"}, false);
  // The process alert: ended and its file deleted; "remove" is not offered there.
  ASSERT_TRUE(runSpy.WaitForExit(kAlertTimeoutMs)) << shield->Output();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !platform::FileExists(runSpy.path()); }, 10000)) << shield->Output();
  // The startup alert: kill and delete are not offered, the entry is removed.
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !platform::FileExists(UserFolder() + "/miner.desktop"); },
                                     kAlertTimeoutMs))
      << shield->Output();
  ASSERT_TRUE(WaitForCount("--on-alert=remove: removing the startup entry", 1)) << shield->Output();
  std::string output = shield->Output();
  EXPECT_NE(output.find("--on-alert=kill: ending the process"), std::string::npos) << output;
  EXPECT_NE(output.find("--on-alert=remove: not offered by this alert"), std::string::npos) << output;
  EXPECT_NE(output.find("--on-alert=kill: not offered by this alert"), std::string::npos) << output;
  EXPECT_NE(output.find("--on-alert=delete: not offered by this alert"), std::string::npos) << output;
  EXPECT_TRUE(platform::FileExists(UserFolder() + "/notes.desktop"));
  EXPECT_TRUE(platform::FileExists(BootSpy()));
  EndShield();
}

}  // namespace
}  // namespace vz
