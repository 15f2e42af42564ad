// Whole shields in the terminal with a /dev/log of their own and no system
// journal (vz-test-fakesyslog): every log line reaches syslog, a finding with
// its fields and as a warning; with --no-journal nothing is sent at all.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <memory>
#include <random>

#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

using testsupport::ChildProcess;
using testsupport::ProgramRun;
using testsupport::TempDir;

constexpr int kStartTimeoutMs = 15000;
constexpr int kCannotIsolate = 77;  // vz-test-fakesyslog: no mount namespace here

std::string Unique(const std::string& name) { return name + "-" + std::to_string(::getpid()); }

class JournalOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    instanceName_ = "vazeru-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
                             "X\tTest Spy\t" + Unique("vz-journal-spy") + "\tWatches you\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
  }
  void TearDown() override { platform::RemoveInstanceRegion(instanceName_); }

  // Runs the shield until it has reported the listed child, ends it and
  // returns what its syslog received; false when the helper cannot isolate it.
  bool RunShield(const std::vector<std::string>& extraOptions, std::string& syslog) {
    std::vector<std::string> argv{testsupport::TestHelperPath("vz-test-fakesyslog"), home.file("syslog.txt"),
                                  testsupport::ProgramPath("qvshield"), "--console", "--quiet", "--on-alert=close",
                                  "--app-folder", app.path()};
    argv.insert(argv.end(), extraOptions.begin(), extraOptions.end());
    std::vector<std::string> env{"VAZERU_INSTANCE_NAME=" + instanceName_,
                                 "VAZERU_REGISTRY_DIR=" + home.file("registry"),
                                 "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart"),
                                 "XDG_CONFIG_HOME=" + home.file("config")};
    ProgramRun shield(argv, env, home.file("output.txt"));
    int code = -1;
    bool ended = false;
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
          ended = shield.WaitForExit(0, &code);
          return ended || shield.Output().find("Possible Spyware found : Test Spy") != std::string::npos;
        },
        kStartTimeoutMs))
        << shield.Output();
    if (ended && code == kCannotIsolate) {
      reason_ = shield.Output();
      return false;
    }
    EXPECT_FALSE(ended) << shield.Output();
    shield.Signal(SIGTERM);
    EXPECT_TRUE(shield.WaitForExit(kStartTimeoutMs, &code)) << shield.Output();
    EXPECT_EQ(code, 0) << shield.Output();
    output_ = shield.Output();
    syslog = testsupport::ReadFile(home.file("syslog.txt"));
    return true;
  }

  TempDir app, home, programs;
  ChildProcess spy{programs.path(), Unique("vz-journal-spy")};
  std::string instanceName_, reason_, output_;
};

// The syslog line of a message: "<PRI>Mmm dd hh:mm:ss qvshield[PID]: message",
// or "" when there is none.
std::string SyslogLineWith(const std::string& received, const std::string& priority, const std::string& message) {
  for (const std::string& line : testsupport::SplitLines(received)) {
    if (line.rfind(priority, 0) != 0) continue;
    size_t tag = line.find(" qvshield[");
    if (tag == std::string::npos) continue;
    size_t colon = line.find("]: ", tag);
    if (colon != std::string::npos && line.compare(colon + 3, std::string::npos, message) == 0) return line;
  }
  return "";
}

TEST_F(JournalOutput, WithoutAJournalSyslogReceivesEveryLineAndTheFieldsOfAFinding) {
  std::string received;
  if (!RunShield({}, received)) GTEST_SKIP() << "no private mount namespace for a fake /dev/log: " << reason_;
  // user.info for a line, user.warning for a finding.
  EXPECT_NE(SyslogLineWith(received, "<14>", "Known Spyware : 0 of 1 Known"), "") << received;
  const std::string finding = "Possible Spyware found : Test Spy    (" + Unique("vz-journal-spy") + ")" +
                              " VAZERU_ENTRY=\"Test Spy\" VAZERU_PATH=\"" + spy.path() + "\" VAZERU_PID=\"" +
                              std::to_string(spy.pid()) + "\" VAZERU_ACTION=\"alert\"";
  EXPECT_NE(SyslogLineWith(received, "<12>", finding), "") << received;
  // Every line the terminal showed went to syslog, each once.
  size_t shown = testsupport::CountOccurrences(output_, "  Possible Spyware found : Test Spy");
  EXPECT_GE(shown, 1u) << output_;
  EXPECT_EQ(testsupport::CountOccurrences(received, "]: Possible Spyware found : Test Spy"), shown) << received;
}

TEST_F(JournalOutput, NoJournalSendsNothing) {
  std::string received;
  if (!RunShield({"--no-journal"}, received)) GTEST_SKIP() << "no private mount namespace for a fake /dev/log: " << reason_;
  EXPECT_NE(output_.find("Known Spyware : 0 of 1 Known"), std::string::npos) << output_;
  EXPECT_EQ(received, "");
}

}  // namespace
}  // namespace vz
