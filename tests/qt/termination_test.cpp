// SIGTERM or SIGINT while a message box or the modal alert is open: the whole
// main block with the windows ends at once, the box giving the answer that
// changes nothing, and the log is saved.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/MainBlock.h"
#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/testing/FakeProcesses.h"
#include "support/TestSupport.h"
#include "ui/qt/QtFrontEnd.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::qttest {
namespace {

using ui::qt::QtFrontEnd;

// How soon a shield told to end must be gone (SIGKILL follows not long after).
constexpr qint64 kEndWithinMs = 2000;

// The termination signals are blocked in this thread while a test watches
// them; afterwards any still pending is taken and the old mask restored.
class TerminationSignalsBlockedHere {
 public:
  TerminationSignalsBlockedHere() { pthread_sigmask(SIG_SETMASK, nullptr, &old_); }
  ~TerminationSignalsBlockedHere() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    timespec none{};
    while (sigtimedwait(&set, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }

 private:
  sigset_t old_;
};

class QtTermination : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAppFolderOverride(app.path());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tTest Spy\tvz-qtspy\tWatches you\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    registry = testsupport::OpenTestRegistry(registryDir);
  }
  void TearDown() override { platform::SetAppFolderOverride(""); }

  // Runs the main block with the windows (as a restart: no instance guard);
  // `inLoop` runs once the loop does, and `signal` is sent to this thread as
  // soon as a modal window is open. Returns the milliseconds from the signal
  // to the end of the main block, -1 when no modal window came up.
  qint64 RunAndSignalWhileModal(int signal, const std::function<void(QtFrontEnd&)>& inLoop = {}) {
    TerminationSignalsBlockedHere restoreMask;
    auto termination = platform::WatchTerminationSignals();
    QtFrontEnd front(QtFrontEnd::Options{nullptr, &browser, QtFrontEnd::TrayMode::Available, termination.get(), {}});
    QElapsedTimer sinceSignal;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!QApplication::activeModalWidget() || sinceSignal.isValid()) return;
      sinceSignal.start();
      pthread_kill(pthread_self(), signal);
    });
    poll.start(10);
    // Never left hanging when the signal is not heard: the window is closed after a while.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
      QCoreApplication::exit(1);
    });
    giveUp.start(20000);
    QTimer first;
    first.setSingleShot(true);
    QObject::connect(&first, &QTimer::timeout, [&] {
      if (inLoop) inLoop(front);
    });
    first.start(0);
    app::CommandLine restart;
    restart.restart = true;
    auto region = platform::CreateInstanceRegion();
    app::RunMainBlock(restart, front, app::ShieldServices{processes, *registry, platform::LinuxPathConventions()}, *region);
    return sinceSignal.isValid() ? sinceSignal.elapsed() : -1;
  }

  testsupport::TempDir app, registryDir;
  platform::testing::FakeProcesses processes;
  ui::scripted::RecordingBrowser browser;
  std::unique_ptr<platform::RegistryStore> registry;
};

TEST_F(QtTermination, SigtermAtAMessageBoxAnswersNoAndEndsWithTheLogSaved) {
  ui::DialogAnswer answer = ui::DialogAnswer::Yes;
  qint64 ms = RunAndSignalWhileModal(SIGTERM, [&answer](QtFrontEnd& front) {
    answer = front.Ports().dialogs->Ask("Confirm", "Sure you want to stop this Process ?bash", ui::DialogButtons::YesNo);
  });
  ASSERT_GE(ms, 0) << "no message box came up";
  EXPECT_LT(ms, kEndWithinMs);
  EXPECT_EQ(answer, ui::DialogAnswer::No);
  EXPECT_TRUE(platform::FileExists(app.file("Vazeru.log")));
}

TEST_F(QtTermination, SigintAtTheAlertClosesItAndEndsWithTheLogSaved) {
  testsupport::WriteFile(app.file("vz-qtspy"), "program");
  processes.Start(4242, "vz-qtspy", app.file("vz-qtspy"));
  qint64 ms = RunAndSignalWhileModal(SIGINT);
  ASSERT_GE(ms, 0) << "the alert did not come up";
  EXPECT_LT(ms, kEndWithinMs);
  EXPECT_TRUE(processes.terminations().empty());
  std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
  EXPECT_NE(log.find("Possible Spyware found : Test Spy"), std::string::npos) << log;
}

// The guard's question is asked on behalf of a monitor thread that waits for
// it: the shield still ends at once, and that monitor with it.
TEST_F(QtTermination, SigtermAtTheGuardsQuestionEndsTheShieldAndItsMonitors) {
  qint64 ms = RunAndSignalWhileModal(SIGTERM, [this](QtFrontEnd&) {
    platform::RegistryKey main;
    ASSERT_TRUE(registry->OpenKey(platform::RegistryRoot::CurrentUser, "Software\\microsoft\\internet explorer\\Main",
                                  platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing, main));
    ASSERT_TRUE(main.WriteString("Start Page", "http://spy.example/"));
  });
  ASSERT_GE(ms, 0) << "the guard's question did not come up";
  EXPECT_LT(ms, kEndWithinMs);
  std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
  EXPECT_NE(log.find("IExplorer: Startpage change detected"), std::string::npos) << log;
}

}  // namespace
}  // namespace vz::qttest
