// The alert window bound to the alert model: the two forms of the window,
// every button reaching its model action, and an open alert refreshed in
// place rather than stacked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "QtTestShield.h"
#include "platform/linux/ProcfsProcesses.h"
#include "ui/qt/AlertWindow.h"

namespace vz::qttest {
namespace {

using ui::qt::AlertWindow;

class StartupListDouble final : public protection::StartupListAccess {
 public:
  int selected = -1;
  std::vector<std::pair<bool, std::string>> deleted;
  void SelectRow(int row) override { selected = row; }
  std::string Cell(int column, int) const override { return column == 0 ? "spyentry" : column == 2 ? "[HKCU]" : ""; }
  bool DeleteRunValue(bool currentUser, const std::string& valueName) override {
    deleted.emplace_back(currentUser, valueName);
    return true;
  }
};

class QtAlert : public ::testing::Test {
 protected:
  void SetUp() override {
    s.StartUp();
    location = s.app.file("vz-spy");
    testsupport::WriteFile(location, "program");
    platform::testing::FakeProcess& spy = s.processes.Start(4242, "vz-spy", location);
    alert().Fields() = protection::AlertFields{protection::kMemoryAlertTitle, "Test Spy    (vz-spy)", location,
                                               "4242", "Watches you\r\nand sends it away", "http://example.com/spy",
                                               {4242, spy.startTime, location, "vz-spy"}};
    s.shield->Cycle().MainTimer().Start();
    // Never left waiting in a modal loop, whatever a test does.
    QTimer::singleShot(20000, [this] {
      if (auto* form = s.Front().Alert().Window()) form->done(0);
    });
  }
  protection::AlertModel& alert() { return s.shield->Alert(); }
  static int AlertWindows() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) count += qobject_cast<AlertWindow*>(w) != nullptr;
    return count;
  }

  QtTestShield s;
  std::string location;
};

// What each action does is the alert model's (tests/protection); here each
// button reaches its action once and the window shows the model's state.
TEST_F(QtAlert, ProcessAlertOffersKillAndDeleteAndEachButtonActsOnce) {
  int shows = 0;
  bool timerStoppedWhileOpen = false;
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    ++shows;
    EXPECT_EQ(f.windowTitle(), "Orvane Alert !");
    EXPECT_EQ(f.label1->text(), "Possible Spyware Process Found (Memory)");
    EXPECT_EQ(f.label2->text(), "Test Spy    (vz-spy)");
    EXPECT_EQ(f.label3->text().toStdString(), location);
    EXPECT_EQ(f.label5->text(), "4242");
    EXPECT_EQ(f.scandiaDesc->toPlainText(), "Watches you\nand sends it away");
    EXPECT_TRUE(f.killButton->isEnabled());
    EXPECT_TRUE(f.deleteButton->isEnabled());
    EXPECT_TRUE(f.removeStartupButton->isHidden());
    EXPECT_TRUE(s.Window().isVisible()) << "the main window comes forward with the alert";
    timerStoppedWhileOpen = !s.shield->Cycle().MainTimer().IsRunning();

    f.openFolderButton->click();
    f.moreInfoButton->click();
    emit f.urlLabel1->linkActivated("link");
    f.killButton->click();
    EXPECT_FALSE(f.killButton->isEnabled());
    EXPECT_EQ(s.processes.terminations().size(), 1u);
    f.deleteButton->click();
    EXPECT_FALSE(f.deleteButton->isEnabled());
    ASSERT_EQ(s.dialogs.shown.size(), 1u);
    EXPECT_EQ(s.dialogs.shown[0].text, "File Deleted file");
    f.closeButton->click();
  });
  alert().ShowAlert();
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(timerStoppedWhileOpen);
  EXPECT_TRUE(s.shield->Cycle().MainTimer().IsRunning());
  EXPECT_FALSE(s.Front().Alert().IsShowing());
  EXPECT_FALSE(s.Window().isVisible()) << "Close hides the main window again";
  EXPECT_EQ(s.browser.foldersOpened, std::vector<std::string>{s.app.path()});
  ASSERT_EQ(s.browser.opened.size(), 2u);
  EXPECT_NE(s.browser.opened[0].find("/search?q=vz-spy"), std::string::npos) << s.browser.opened[0];
  EXPECT_EQ(s.browser.opened[1], "http://example.com/spy");
}

// The desktop may minimise the alert although it offers no button for it;
// a minimised modal alert would leave the shield's other windows dead.
TEST_F(QtAlert, AMinimisedAlertComesBackByItselfAndThroughShowVazeru) {
  bool minimised = false, backFromTray = false, backByItself = false;
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    f.showMinimized();
    minimised = f.isMinimized();
    s.TrayAction(app::TrayCommand::ShowVazeru)->trigger();
    backFromTray = f.isVisible() && !f.isMinimized();
    f.showMinimized();
    backByItself = testsupport::WaitUntil(
        [&] {
          s.Pump();
          return f.isVisible() && !f.isMinimized();
        },
        2000);
    f.closeButton->click();
  });
  alert().ShowAlert();
  EXPECT_TRUE(minimised);
  EXPECT_TRUE(backFromTray);
  EXPECT_TRUE(backByItself);
  EXPECT_FALSE(s.Front().Alert().IsShowing());
}

TEST_F(QtAlert, EscapeDoesNotCloseAndExcludingClosesLeavingTheMainWindow) {
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    f.reject();  // Escape
    f.close();   // the window manager's close
    EXPECT_TRUE(f.isVisible());
    f.excludeButton->click();
  });
  alert().ShowAlert();
  EXPECT_FALSE(s.Front().Alert().IsShowing());
  EXPECT_TRUE(s.Window().isVisible());
  EXPECT_EQ(testsupport::ReadFile(s.app.file("EXCFDir.QVA")), location + "\r\n");
}

TEST_F(QtAlert, StartupAlertOffersRemoveStartupOnly) {
  StartupListDouble startupList;
  alert().SetStartupList(&startupList);
  alert().Fields().title = protection::kStartupAlertTitle;
  alert().Fields().identifier = "3";
  alert().alertFromStartup = true;
  alert().showRemoveStartup = true;
  s.dialogs.answers.push_back(ui::DialogAnswer::Ok);
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    EXPECT_FALSE(f.killButton->isEnabled());
    EXPECT_FALSE(f.deleteButton->isEnabled());
    EXPECT_FALSE(f.removeStartupButton->isHidden());
    EXPECT_EQ(f.removeStartupButton->toolTip(), "Files can be locked be the system");
    f.removeStartupButton->click();
    EXPECT_TRUE(f.removeStartupButton->isHidden());
    f.closeButton->click();
  });
  alert().ShowAlert();
  EXPECT_EQ(startupList.selected, 3);
  EXPECT_EQ(startupList.deleted, (std::vector<std::pair<bool, std::string>>{{true, "spyentry"}}));
  EXPECT_TRUE(s.dialogs.WasShown("Remove this startup program : spyentry"));
  // The flag was used up by that showing: the next process alert has no "Remove startup".
  alert().alertFromStartup = false;
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    EXPECT_TRUE(f.removeStartupButton->isHidden());
    EXPECT_TRUE(f.killButton->isEnabled());
    f.closeButton->click();
  });
  alert().ShowAlert();
}

TEST_F(QtAlert, OpenAlertIsRefreshedInPlaceNotStacked) {
  int shows = 0;
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    ++shows;
    if (shows == 1) {
      alert().Fields().title = "Second finding";
      alert().Fields().nameLine = "Other Spy    (vz-other)";
      alert().ShowAlert();  // returns at once: the window is already open
      EXPECT_EQ(f.label1->text(), "Second finding");
      EXPECT_EQ(f.label2->text(), "Other Spy    (vz-other)");
      EXPECT_EQ(AlertWindows(), 1);
      EXPECT_TRUE(f.isVisible());
    } else {
      f.closeButton->click();
    }
  });
  alert().ShowAlert();
  EXPECT_EQ(shows, 2);
  EXPECT_EQ(AlertWindows(), 1);
  EXPECT_FALSE(s.Front().Alert().IsShowing());
}

// End to end on this machine: a real process under a listed name raises the
// alert window, and "Kill Process" there ends it.
TEST(QtAlertLive, ListedProcessRaisesTheWindowAndIsEndedFromIt) {
  auto procfs = platform::CreateProcfsProcessPlatform();
  QtTestShield s(ui::qt::QtFrontEnd::TrayMode::Available, procfs.get());
  testsupport::TempDir programs;
  testsupport::ChildProcess spy(programs.path(), "vz-qtspy");
  int shows = 0;
  s.Front().Alert().SetOnShown([&](AlertWindow& f) {
    ++shows;
    EXPECT_EQ(f.label2->text(), "Test Spy    (vz-qtspy)");
    EXPECT_EQ(f.label3->text().toStdString(), spy.path());
    EXPECT_EQ(f.label5->text().toStdString(), std::to_string(spy.pid()));
    f.killButton->click();
    EXPECT_FALSE(f.killButton->isEnabled()) << "the kill succeeded";
    f.closeButton->click();
  });
  QTimer::singleShot(20000, [&] {
    if (auto* form = s.Front().Alert().Window()) form->done(0);
  });
  s.StartUp();
  s.shield->Cycle().Tick();  // the first refresh scans every process
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(spy.WaitForExit(5000));
  EXPECT_NE(s.shield->Log().Entries().front().find("Possible Spyware found : Test Spy    (vz-qtspy)"), std::string::npos);
}

}  // namespace
}  // namespace vz::qttest
