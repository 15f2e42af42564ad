#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "CapturedOutput.h"
#include "inventory/ProcessList.h"
#include "platform/FileSystem.h"
#include "platform/linux/WaitableDescriptor.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "protection/AlertModel.h"
#include "support/TestSupport.h"
#include "ui/console/ConsoleAlertView.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::ui::console {
namespace {

// The terminal alert over a scripted front end: what it prints and what its
// typed or unattended actions do to the alert model.
class ConsoleAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Start(20, "xmrig", dir.file("xmrig"));
    testsupport::WriteFile(dir.file("xmrig"), "binary");
    list.SetForceRefresh(true);
    list.RefreshProcessList();
    front.events.onPump = [this] { clock.ticks += 500; };
    alert.Fields() = protection::AlertFields{protection::kMemoryAlertTitle, "XMRig miner    (xmrig)", dir.file("xmrig"),
                                             "20", "Monero miner", "http://example.com/xmrig",
                                             list.Table().IdentityAt(0)};
  }

  std::string Printed() { return captured.Text(); }

  // Shows the alert through a terminal view with this input and policy.
  void Show(const std::string& typed, const std::string& policy, bool fromStartup = false) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    ::close(fds[1]);
    platform::TerminalInput in(platform::WaitableForDescriptor(fds[0]));
    ConsoleInput input(in);
    ConsoleAlertView view(out, input, policy);
    ports.alert = &view;
    protection::AlertModel model(ports, termination, exclusions, dir.file("EXCFDir.QVA"), platform::LinuxPathConventions());
    model.Fields() = alert.Fields();
    model.alertFromStartup = model.showRemoveStartup = fromStartup;
    model.ShowAlert();
    killEnabled = model.KillEnabled();
    ::close(fds[0]);
  }

  testsupport::TempDir dir;
  CapturedOutput captured;
  ConsoleOutput& out = captured.out;
  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  scripted::ScriptedFrontEnd front;
  Ports ports = front.ports();
  inventory::ProcessList list{fake, *ports.mainWindow, clock};
  protection::ProcessTermination termination{fake, list, ports, clock};
  protection::ExclusionList exclusions{platform::LinuxPathConventions()};
  protection::AlertModel alert{ports, termination, exclusions, dir.file("EXCFDir.QVA"), platform::LinuxPathConventions()};
  bool killEnabled = true;
};

TEST_F(ConsoleAlertTest, TypedActionsRunUntilTheAlertCloses) {
  Show("m\nz\nk\nk\nc\nnever read\n", "");
  std::string text = Printed();
  EXPECT_NE(text.find("Orvane Alert !  Possible Spyware Process Found (Memory)"), std::string::npos);
  EXPECT_NE(text.find("XMRig miner    (xmrig)"), std::string::npos);
  EXPECT_NE(text.find("Location : " + dir.file("xmrig")), std::string::npos);
  EXPECT_NE(text.find("PID : 20"), std::string::npos);
  EXPECT_NE(text.find("More info : http://example.com/xmrig"), std::string::npos);
  // "z" is no action; the second "k" is not offered once the process is ended.
  EXPECT_NE(text.find("not an action of this alert"), std::string::npos);
  EXPECT_NE(text.find("process ended"), std::string::npos);
  ASSERT_EQ(fake.terminations().size(), 1u);
  EXPECT_FALSE(killEnabled);
  ASSERT_EQ(front.browser.opened.size(), 1u);
  EXPECT_NE(front.browser.opened[0].find("/search?q=xmrig"), std::string::npos);
}

TEST_F(ConsoleAlertTest, UnattendedPoliciesAndNobodyToAsk) {
  Show("", "exclude");
  EXPECT_EQ(testsupport::ReadFile(dir.file("EXCFDir.QVA")), dir.file("xmrig") + "\r\n");
  Show("", "delete");
  EXPECT_EQ(fake.terminations().size(), 1u);
  EXPECT_TRUE(front.dialogs.WasShown("File Deleted file"));
  Show("", "");
  // Input that has ended closes the alert, and says so.
  EXPECT_NE(Printed().find("(input ended: alert closed)"), std::string::npos);
}

TEST_F(ConsoleAlertTest, StartupAlertOffersNoKillOrDeleteAndHostileTextCannotSteerTheTerminal) {
  // A command from a desktop file anyone may write, with terminal escapes in it.
  alert.Fields().location = "/tmp/x\x1b[2J\x1b[1Aspy";
  alert.Fields().identifier = "3";
  Show("", "kill,delete,close", true);
  std::string text = Printed();
  EXPECT_EQ(text.find('\x1b'), std::string::npos);
  EXPECT_NE(text.find("Location : /tmp/x?[2J?[1Aspy"), std::string::npos) << text;
  EXPECT_NE(text.find("Startup row : 3"), std::string::npos);
  EXPECT_NE(text.find("--on-alert=kill: not offered by this alert"), std::string::npos);
  EXPECT_NE(text.find("--on-alert=delete: not offered by this alert"), std::string::npos);
  EXPECT_NE(text.find("--on-alert=close: alert closed"), std::string::npos);
  EXPECT_TRUE(fake.terminations().empty());
  EXPECT_TRUE(platform::FileExists(dir.file("xmrig")));
}

}  // namespace
}  // namespace vz::ui::console
