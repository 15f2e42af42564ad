// A real shield in the terminal, with a pipe for its keyboard: SIGTERM while
// a question or the alert waits ends it at once with the safe choice and its
// log saved, and what is typed while the alert is open belongs to the alert.
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

using testsupport::ChildProcess;
using testsupport::ProgramRun;
using testsupport::TempDir;

constexpr int kStartTimeoutMs = 15000;
// A service manager or a logout sends SIGKILL not long after SIGTERM.
constexpr int kEndWithinMs = 2000;
constexpr const char* kHelpLine = "commands: l      list the processes again";
constexpr const char* kNotAnAction = "not an action of this alert";

// Tests run side by side and see each other's children: names carry the PID.
std::string Unique(const std::string& name) { return name + "-" + std::to_string(::getpid()); }

class ConsoleShield : public ::testing::Test {
 protected:
  void SetUp() override {
    instanceName_ = "vazeru-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
                             "X\tTest Spy\t" + Unique("vz-term-spy") + "\tWatches you\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
  }
  void TearDown() override { platform::RemoveInstanceRegion(instanceName_); }

  // The listed program and a bystander run before the shield starts, so its
  // first refresh alerts the one and lists the other.
  void StartShield() {
    std::vector<std::string> argv{testsupport::ProgramPath("qvshield"), "--console", "--quiet", "--no-journal",
                                  "--app-folder", app.path()};
    std::vector<std::string> env{"VAZERU_INSTANCE_NAME=" + instanceName_,
                                 "VAZERU_REGISTRY_DIR=" + home.file("registry"),
                                 "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart"),
                                 "XDG_CONFIG_HOME=" + home.file("config")};
    shield = std::make_unique<ProgramRun>(argv, env, home.file("output.txt"), true);
    ASSERT_TRUE(shield->WaitForOutput("alert> ", kStartTimeoutMs)) << shield->Output();
  }

  void ExpectEndsSoonAfterSigterm() {
    shield->Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(shield->WaitForExit(kEndWithinMs, &code)) << shield->Output();
    EXPECT_EQ(code, 0);
    std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
    EXPECT_NE(log.find("Possible Spyware found : Test Spy"), std::string::npos) << log;
  }

  TempDir app, home, programs;
  ChildProcess spy{programs.path(), Unique("vz-term-spy")};
  ChildProcess bystander{programs.path(), Unique("vz-term-bystander")};
  std::unique_ptr<ProgramRun> shield;
  std::string instanceName_;
};

TEST_F(ConsoleShield, SigtermWhileTheAlertWaitsClosesItAndEnds) {
  StartShield();
  ExpectEndsSoonAfterSigterm();
  EXPECT_NE(shield->Output().find("(ending: alert closed)"), std::string::npos) << shield->Output();
  EXPECT_FALSE(spy.HasExited());
}

TEST_F(ConsoleShield, SigtermWhileAQuestionWaitsAnswersNoAndEnds) {
  StartShield();
  shield->Type("c\nk " + std::to_string(bystander.pid()) + "\n");
  ASSERT_TRUE(shield->WaitForOutput("Sure you want to stop this Process ?", 5000)) << shield->Output();
  ASSERT_TRUE(shield->WaitForOutput("[y]es/[n]o? ", 5000));
  ExpectEndsSoonAfterSigterm();
  EXPECT_NE(shield->Output().find("(ending: answered No)"), std::string::npos) << shield->Output();
  EXPECT_FALSE(bystander.HasExited());
}

TEST_F(ConsoleShield, InputTypedWhileTheAlertIsOpenIsTheAlerts) {
  StartShield();
  shield->Type("k\n");
  // The kill is followed by a pause that lets events run: typed now, "h" would
  // run as a main command inside it, and "k PID" would ask about the bystander.
  ASSERT_TRUE(spy.WaitForExit(5000)) << shield->Output();
  shield->Type("h\nk " + std::to_string(bystander.pid()) + "\n");
  auto notAnAction = [&] { return testsupport::CountOccurrences(shield->Output(), kNotAnAction); };
  ASSERT_TRUE(testsupport::WaitUntil([&] { return notAnAction() == 2; }, 5000)) << shield->Output();
  EXPECT_EQ(shield->Output().find(kHelpLine), std::string::npos);
  EXPECT_EQ(shield->Output().find("Sure you want to stop this Process ?"), std::string::npos);

  // Closed: the input is the main loop's again, up to "q".
  shield->Type("c\nh\nq\n");
  int code = -1;
  ASSERT_TRUE(shield->WaitForExit(kStartTimeoutMs, &code)) << shield->Output();
  EXPECT_EQ(code, 0);
  std::string output = shield->Output();
  ASSERT_NE(output.find(kHelpLine), std::string::npos) << output;
  EXPECT_GT(output.find(kHelpLine), output.rfind(kNotAnAction));
  EXPECT_TRUE(platform::FileExists(app.file("Vazeru.log")));
  EXPECT_FALSE(bystander.HasExited());
}

}  // namespace
}  // namespace vz
