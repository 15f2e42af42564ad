// A real shield in the terminal guarding the browser pages: a start page set
// by another process (the registry tool) brings the question; --answer
// answers it like any other question, and SIGTERM while it waits at the
// prompt ends the shield at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>
#include <random>

#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"
#include "tools/ToolRun.h"

namespace vz {
namespace {

using testsupport::ProgramRun;
using testsupport::TempDir;

constexpr int kStartTimeoutMs = 15000;
constexpr int kEndWithinMs = 2000;
constexpr const char* kMainKey = "HKCU\\Software\\Microsoft\\Internet Explorer\\Main";

class GuardConsoleShield : public ::testing::Test {
 protected:
  void SetUp() override {
    instanceName_ = "vazeru-guard-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tTest Spy\tvz-guard-nothing\tNone\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    env_ = {"VAZERU_INSTANCE_NAME=" + instanceName_, "VAZERU_REGISTRY_DIR=" + home.file("registry"),
            "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart"), "XDG_CONFIG_HOME=" + home.file("config")};
    // The registry tool run from here uses the same registry.
    for (const auto& setting : env_) {
      auto equals = setting.find('=');
      ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
    ASSERT_EQ(Reg({"set", kMainKey, "Start Page", "http://home.example/"}).status, 0);
  }
  void TearDown() override { platform::RemoveInstanceRegion(instanceName_); }

  static toolstest::ToolResult Reg(const std::vector<std::string>& args) { return toolstest::RunTool("vazeru-reg", args); }

  void StartShield(const std::vector<std::string>& options, bool typedInput) {
    std::vector<std::string> argv{testsupport::ProgramPath("qvshield"), "--console", "--quiet", "--app-folder",
                                  app.path()};
    argv.insert(argv.end(), options.begin(), options.end());
    shield = std::make_unique<ProgramRun>(argv, env_, home.file("output.txt"), typedInput);
    ASSERT_TRUE(shield->WaitForOutput("is watching this machine", kStartTimeoutMs)) << shield->Output();
  }

  TempDir app, home;
  std::vector<std::string> env_;
  std::unique_ptr<ProgramRun> shield;
  std::string instanceName_;
};

TEST_F(GuardConsoleShield, StartPageSetByAnotherProcessIsAskedAboutAndAnsweredByPolicy) {
  StartShield({"--answer=cancel"}, false);
  ASSERT_EQ(Reg({"set", kMainKey, "Start Page", "http://spy.example/"}).status, 0);
  ASSERT_TRUE(shield->WaitForOutput("(answered Cancel)", 5000)) << shield->Output();
  std::string output = shield->Output();
  EXPECT_NE(output.find("IExplorer: Startpage change detected"), std::string::npos) << output;
  EXPECT_NE(output.find("[Internet Explorer Change] Start Page of Internet explorer changed.\n"
                        " From : http://home.example/\n To  :  http://spy.example/\n"
                        "Do you want to change it to http://spy.example/ ?"),
            std::string::npos)
      << output;
  // Cancel wrote the old page back, and that write asks nothing.
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] { return Reg({"query", kMainKey, "Start Page"}).out == "http://home.example/\n"; }, 5000));
  testsupport::SleepMs(500);
  EXPECT_EQ(testsupport::CountOccurrences(shield->Output(), "[Internet Explorer Change]"), 1u) << shield->Output();

  shield->Signal(SIGTERM);
  EXPECT_TRUE(shield->WaitForExit(kEndWithinMs));
}

TEST_F(GuardConsoleShield, SigtermWhileTheQuestionWaitsEndsWithinTwoSeconds) {
  StartShield({}, true);
  ASSERT_EQ(Reg({"set", kMainKey, "Search Page", "http://search.spy/"}).status, 0);
  ASSERT_TRUE(shield->WaitForOutput("[o]k/[c]ancel? ", 5000)) << shield->Output();
  shield->Signal(SIGTERM);
  int code = -1;
  ASSERT_TRUE(shield->WaitForExit(kEndWithinMs, &code)) << shield->Output();
  EXPECT_EQ(code, 0);
  EXPECT_NE(shield->Output().find("(ending: answered Cancel)"), std::string::npos) << shield->Output();
  std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
  EXPECT_NE(log.find("IExplorer: SearchPage change detected"), std::string::npos) << log;
}

}  // namespace
}  // namespace vz
