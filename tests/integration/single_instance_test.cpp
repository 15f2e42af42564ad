// Two real shields on one machine: the guard, the activation of the running
// one, the restart that runs beside it, and a region left by a dead instance.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>
#include <random>

#include "platform/FileSystem.h"
#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

using testsupport::ProgramRun;
using testsupport::TempDir;

constexpr int kStartTimeoutMs = 15000;

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    instanceName_ = "vazeru-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd());
    instanceEnv_ = "VAZERU_INSTANCE_NAME=" + instanceName_;
  }
  void TearDown() override { platform::RemoveInstanceRegion(instanceName_); }

  // A console shield in its own program folder, output in that folder.
  std::unique_ptr<ProgramRun> Start(const TempDir& folder, const std::vector<std::string>& firstArgs = {}) {
    std::vector<std::string> argv{testsupport::ProgramPath("qvshield")};
    argv.insert(argv.end(), firstArgs.begin(), firstArgs.end());
    for (std::string a : {"--console", "--quiet", "--no-journal", "--app-folder", folder.path().c_str()}) argv.push_back(a);
    // Never the real registry, autostart folders or configuration.
    std::vector<std::string> env{instanceEnv_, "VAZERU_REGISTRY_DIR=" + folder.file("registry"),
                                 "VAZERU_AUTOSTART_MACHINE_DIR=" + folder.file("autostart"),
                                 "XDG_CONFIG_HOME=" + folder.file("config")};
    return std::make_unique<ProgramRun>(argv, env, folder.file("output.txt"));
  }

  static bool Running(ProgramRun& run) { return run.WaitForOutput("is watching this machine", kStartTimeoutMs); }

  std::string instanceName_;
  std::string instanceEnv_;
};

TEST_F(SingleInstance, SecondStartActivatesTheFirstAndExitsWithoutLog) {
  TempDir firstFolder, secondFolder;
  auto first = Start(firstFolder);
  ASSERT_TRUE(Running(*first)) << first->Output();

  auto second = Start(secondFolder);
  int code = -1;
  ASSERT_TRUE(second->WaitForExit(kStartTimeoutMs, &code));
  EXPECT_EQ(code, 0);
  EXPECT_NE(second->Output().find("Orvane Vazeru is already running."), std::string::npos) << second->Output();
  EXPECT_EQ(second->Output().find("is watching this machine"), std::string::npos);
  EXPECT_FALSE(platform::FileExists(secondFolder.file("Vazeru.log")));
  EXPECT_TRUE(first->WaitForOutput("another start of Orvane Vazeru asked for this one", kStartTimeoutMs));

  // A lower-case "restart" is a normal start and meets the same guard.
  auto lower = Start(secondFolder, {"restart"});
  ASSERT_TRUE(lower->WaitForExit(kStartTimeoutMs, &code)) << lower->Output();
  EXPECT_NE(lower->Output().find("Orvane Vazeru is already running."), std::string::npos);

  // SIGTERM ends the first the way "Exit Vazeru" does: the log is saved.
  first->Signal(SIGTERM);
  ASSERT_TRUE(first->WaitForExit(kStartTimeoutMs, &code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(platform::FileExists(firstFolder.file("Vazeru.log")));
}

TEST_F(SingleInstance, RestartRunsBesideTheFirstWithoutTakingItsPlace) {
  TempDir firstFolder, restartFolder, thirdFolder;
  auto first = Start(firstFolder);
  ASSERT_TRUE(Running(*first)) << first->Output();
  auto restarted = Start(restartFolder, {"Restart"});
  ASSERT_TRUE(Running(*restarted)) << restarted->Output();

  // The region still names the first: a third start activates it, not the restarted one.
  auto third = Start(thirdFolder);
  int code = -1;
  ASSERT_TRUE(third->WaitForExit(kStartTimeoutMs, &code));
  EXPECT_NE(third->Output().find("Orvane Vazeru is already running."), std::string::npos);
  EXPECT_TRUE(first->WaitForOutput("another start of Orvane Vazeru asked for this one", kStartTimeoutMs));
  EXPECT_EQ(restarted->Output().find("asked for this one"), std::string::npos);

  // Once the first is gone, a normal start runs even though the restarted one lives.
  first->Signal(SIGTERM);
  ASSERT_TRUE(first->WaitForExit(kStartTimeoutMs));
  TempDir fourthFolder;
  auto fourth = Start(fourthFolder);
  EXPECT_TRUE(Running(*fourth)) << fourth->Output();
}

TEST_F(SingleInstance, RegionLeftByAKilledInstanceBlocksNothing) {
  TempDir firstFolder, secondFolder;
  auto first = Start(firstFolder);
  ASSERT_TRUE(Running(*first)) << first->Output();
  first->Signal(SIGKILL);
  ASSERT_TRUE(first->WaitForExit(kStartTimeoutMs));
  // Killed: nothing saved, and the stale region names a dead process.
  EXPECT_FALSE(platform::FileExists(firstFolder.file("Vazeru.log")));
  auto second = Start(secondFolder);
  EXPECT_TRUE(Running(*second)) << second->Output();
}

}  // namespace
}  // namespace vz
