// The main window and the tray menu on Qt: options mirrored both ways, hiding
// on close and minimise, navigation and links, the info panel, the window of
// a desktop without tray, and "Exit Vazeru" ending a real message loop.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <random>

#include "QtTestShield.h"
#include "app/MainBlock.h"
#include "platform/FileSystem.h"
#include "platform/SingleInstance.h"
#include "platform/linux/SingleInstanceNames.h"
#include "ui/qt/OptionsPage.h"
#include "ui/qt/ProcessPage.h"
#include "ui/qt/StartupPage.h"
#include "ui/qt/WatchPanels.h"

namespace vz::qttest {
namespace {

using app::TrayCommand;
using ui::LiveOption;

TEST(QtMainWindow, TrayMenuInOrderWithShowVazeruWaitingForTheStartUpPhase) {
  QtTestShield s;
  QList<QAction*> actions = s.Front().View().Tray().Menu()->actions();
  ASSERT_EQ(actions.size(), 9);
  EXPECT_EQ(actions[0]->text(), "Show Vazeru");
  EXPECT_EQ(actions[3]->text(), "Block known spyware");
  EXPECT_TRUE(actions[3]->isCheckable());
  EXPECT_FALSE(actions[3]->isChecked());
  EXPECT_EQ(actions[6]->text(), "Launce Admin Console");
  EXPECT_EQ(actions[8]->text(), "Exit Vazeru");
  EXPECT_FALSE(actions[5]->isEnabled());
  EXPECT_FALSE(actions[7]->isEnabled());
  EXPECT_FALSE(s.TrayAction(TrayCommand::ShowVazeru)->isEnabled());
  EXPECT_FALSE(s.Window().processPage->isEnabled());
  s.StartUp();
  EXPECT_TRUE(s.TrayAction(TrayCommand::ShowVazeru)->isEnabled());
  EXPECT_TRUE(s.Window().processPage->isEnabled());
  EXPECT_FALSE(s.Window().isVisible());
}

// What the options do to the main cycle is the model's; here each click
// reaches the model and both of its mirrors.
TEST(QtMainWindow, TrayEntriesAndCheckBoxesMirrorEachOther) {
  QtTestShield s;
  QCheckBox* liveScan = s.Window().optionsPage->Option(LiveOption::LiveScanProcesses);
  ASSERT_TRUE(liveScan->isChecked());
  s.TrayAction(TrayCommand::LiveScanProcesses)->trigger();
  EXPECT_FALSE(s.TrayAction(TrayCommand::LiveScanProcesses)->isChecked());
  EXPECT_FALSE(liveScan->isChecked());
  EXPECT_FALSE(s.shield->Options().liveScanProcesses);

  liveScan->click();
  EXPECT_TRUE(s.TrayAction(TrayCommand::LiveScanProcesses)->isChecked());
  EXPECT_TRUE(s.shield->Options().liveScanProcesses);

  QCheckBox* startups = s.Window().optionsPage->Option(LiveOption::LiveScanStartups);
  startups->click();
  EXPECT_FALSE(s.TrayAction(TrayCommand::LiveScanStartups)->isChecked());
  s.TrayAction(TrayCommand::LiveScanStartups)->trigger();
  EXPECT_TRUE(startups->isChecked());
  EXPECT_TRUE(s.shield->Options().liveScanStartups);

  // The panel options show and hide their panels.
  s.Window().optionsPage->Option(LiveOption::ShowCpuWatch)->click();
  EXPECT_TRUE(s.Window().systemWatchPanel->isHidden());
  s.Window().optionsPage->Option(LiveOption::ShowCpuWatch)->click();
  EXPECT_FALSE(s.Window().systemWatchPanel->isHidden());
}

TEST(QtMainWindow, BlockingBoxAndTrayEntrySwitchTheGuardAndGreyWhenItCannotStart) {
  QtTestShield s;
  QCheckBox* block = s.Window().optionsPage->Option(LiveOption::BlockKnownSpyware);
  QAction* trayBlock = s.TrayAction(TrayCommand::BlockKnownSpyware);
  ASSERT_FALSE(block->isChecked());
  ASSERT_FALSE(trayBlock->isChecked());
  block->click();  // one click, one start of the guard
  EXPECT_EQ(s.execGuard.startCalls, 1);
  EXPECT_TRUE(s.execGuard.Running());
  EXPECT_TRUE(trayBlock->isChecked());
  trayBlock->trigger();
  EXPECT_FALSE(s.execGuard.Running());
  EXPECT_FALSE(block->isChecked());
  EXPECT_FALSE(trayBlock->isChecked());

  s.execGuard.refusal = "Operation not permitted";
  trayBlock->trigger();
  EXPECT_EQ(s.execGuard.startCalls, 2);
  EXPECT_FALSE(block->isChecked());
  EXPECT_FALSE(trayBlock->isChecked());
  EXPECT_FALSE(block->isEnabled());
  EXPECT_FALSE(trayBlock->isEnabled());
  // The other options stay as they were.
  EXPECT_TRUE(s.Window().optionsPage->Option(LiveOption::LiveScanProcesses)->isEnabled());
  EXPECT_TRUE(s.TrayAction(TrayCommand::LiveScanProcesses)->isEnabled());
}

TEST(QtMainWindow, ClosingAndMinimisingHideTheWindow) {
  QtTestShield s;
  s.StartUp();
  s.TrayAction(TrayCommand::ShowVazeru)->trigger();
  ASSERT_TRUE(s.Window().isVisible());
  EXPECT_FALSE(s.Window().isMinimized());
  // The show handler counted the list and filled the data file texts.
  EXPECT_EQ(s.Window().statusPanels[0]->text(), "Processes: 0");
  EXPECT_EQ(s.Window().optionsPage->knownSpywareLabel->text(), "Known Spyware: 0");
  int known = s.shield->Knowledge().AllKnownCount();
  EXPECT_GE(known, 3);
  EXPECT_EQ(s.Window().optionsPage->knownProgramsLabel->text().toStdString(), "Known programs: " + std::to_string(known));
  // Data that is not too old leaves the info label as it starts.
  ASSERT_FALSE(s.shield->Knowledge().DataTooOld());
  EXPECT_EQ(s.Window().optionsPage->infoLabel->text(), "You can read about important information here :");

  // The five status panels are told apart by their frames.
  for (QLabel* panel : s.Window().statusPanels) {
    EXPECT_NE(panel->frameShape(), QFrame::NoFrame) << panel->text().toStdString();
    EXPECT_GT(panel->frameWidth(), 0);
  }

  EXPECT_FALSE(s.Window().close());
  EXPECT_FALSE(s.Window().isVisible());

  s.shield->ShowVazeru();
  ASSERT_TRUE(s.Window().isVisible());
  s.Window().setWindowState(Qt::WindowMinimized);  // the title bar's minimise
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        s.Pump();
        return !s.Window().isVisible();
      },
      2000));
  // Shown again it is in its normal state.
  s.shield->ShowVazeru();
  EXPECT_TRUE(s.Window().isVisible());
  EXPECT_FALSE(s.Window().isMinimized());
}

TEST(QtMainWindow, NavigationLinksAndTheLiveScanInfoPanel) {
  QtTestShield s;
  QStackedWidget* pages = s.Window().pages;
  EXPECT_EQ(pages->currentWidget(), s.Window().processPage);
  s.Window().navigation[2]->click();
  EXPECT_EQ(pages->currentWidget(), static_cast<QWidget*>(s.Window().startupPage));
  s.Window().navigation[0]->click();
  EXPECT_EQ(pages->currentWidget(), s.Window().optionsPage);
  s.Window().navigation[3]->click();  // "Help Forum Online"
  ASSERT_EQ(s.browser.opened.size(), 1u);
  EXPECT_EQ(s.browser.opened[0], app::WebLinkAddress(app::WebLink::Forum));
  EXPECT_EQ(pages->currentWidget(), s.Window().optionsPage);

  s.shield->ShowVazeru();
  QCheckBox* liveScan = s.Window().optionsPage->Option(LiveOption::LiveScanProcesses);
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QCoreApplication::sendEvent(liveScan, &enter);
  QLabel* info = s.Window().infoPanel;
  ASSERT_TRUE(info->isVisible());
  EXPECT_EQ(info->text().toStdString(), app::kLiveScanInfoText);
  QPoint box = liveScan->mapTo(pages, QPoint(0, 0));
  EXPECT_EQ(info->pos(), QPoint(box.x() + pages->mapTo(&s.Window(), QPoint(0, 0)).x() + 16, box.y() + 32));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(liveScan, &leave);
  EXPECT_FALSE(info->isVisible());

  // The own autostart entry from the page's buttons.
  s.Window().optionsPage->Button(app::OptionsButton::StartOnSystemStartup)->click();
  EXPECT_TRUE(platform::FileExists(s.registryDir.file("autostart-machine/Orvane shield.desktop")));
  s.Window().optionsPage->Button(app::OptionsButton::RemoveFromSystemStartup)->click();
  EXPECT_FALSE(platform::FileExists(s.registryDir.file("autostart-machine/Orvane shield.desktop")));
  EXPECT_TRUE(s.Window().optionsPage->Button(app::OptionsButton::RunUpdateNow)->isEnabled());
}

TEST(QtMainWindow, WithoutTrayTheWindowStaysReachableMinimised) {
  QtTestShield s(ui::qt::QtFrontEnd::TrayMode::Unavailable);
  ASSERT_FALSE(s.Front().TrayAvailable());
  EXPECT_NE(s.shield->Log().Entries().front().find(app::kNoTrayLogText), std::string::npos);
  EXPECT_FALSE(s.Window().isVisible());
  s.StartUp();
  EXPECT_TRUE(s.Window().isVisible());
  EXPECT_TRUE(s.Window().isMinimized());
  s.shield->ShowVazeru();
  EXPECT_FALSE(s.Window().isMinimized());
  EXPECT_FALSE(s.Window().close());
  EXPECT_TRUE(s.Window().isVisible());
  EXPECT_TRUE(s.Window().isMinimized());
}

// The whole main block on the Qt front end: the loop runs until "Exit Vazeru"
// is chosen in the tray menu, then the log is saved.
TEST(QtMainWindow, ExitVazeruEndsTheLoopAndTheLogIsWritten) {
  testsupport::TempDir app, registryDir;
  platform::SetAppFolderOverride(app.path());
  testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", kKnownList);
  std::string instance = "vazeru-qt-test-" + std::to_string(std::random_device{}());
  ::setenv("VAZERU_INSTANCE_NAME", instance.c_str(), 1);
  platform::RegistryLocations locations{registryDir.file("m.reg"), registryDir.file("u.reg"),
                                        registryDir.file("am"), registryDir.file("au")};
  auto registry = platform::OpenRegistryStore(locations);
  platform::testing::FakeProcesses processes;
  processes.Start(1, "init", "/sbin/init");
  ui::scripted::ScriptedDialogs dialogs;
  ui::scripted::RecordingBrowser browser;
  ui::qt::QtFrontEnd front({&dialogs, &browser, ui::qt::QtFrontEnd::TrayMode::Available, nullptr, {}});
  auto region = platform::CreateInstanceRegion();

  // As the user: once "Show Vazeru" is enabled, open the window, then exit.
  QTimer user;
  bool shown = false;
  QObject::connect(&user, &QTimer::timeout, [&] {
    QAction* show = front.View().Tray().Action(TrayCommand::ShowVazeru);
    if (!show || !show->isEnabled()) return;
    if (!shown) {
      show->trigger();
      shown = front.View().Window().isVisible();
      return;
    }
    user.stop();
    front.View().Tray().Action(TrayCommand::ExitVazeru)->trigger();
  });
  user.start(50);
  int code = app::RunMainBlock(app::CommandLine{}, front, app::ShieldServices{processes, *registry, platform::LinuxPathConventions()}, *region);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(front.View().Tray().IsVisible());
  ASSERT_TRUE(platform::FileExists(app.file("Vazeru.log")));
  std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
  EXPECT_NE(log.find("Known Spyware : "), std::string::npos) << log;

  platform::RemoveInstanceRegion(instance);
  ::unsetenv("VAZERU_INSTANCE_NAME");
  platform::SetAppFolderOverride("");
}

TEST(QtMainWindow, ActivationFromASecondStartShowsAndRaisesTheWindow) {
  QtTestShield s;
  s.StartUp();
  ASSERT_FALSE(s.Window().isVisible());
  std::string instance = "vazeru-qt-activation-" + std::to_string(std::random_device{}());
  auto listener = platform::ListenForActivation(instance);
  ASSERT_TRUE(listener);
  s.Front().WatchActivation(*listener, [&] { s.shield->ShowVazeru(); });
  auto region = platform::CreateInstanceRegion();
  ASSERT_TRUE(region->RequestActivation(instance, region->OwnHandle()));
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        s.Pump();
        return s.Window().isVisible();
      },
      5000));
  EXPECT_FALSE(s.Window().isMinimized());
}

// A region double that names a running instance which accepts the request.
class RunningElsewhere final : public platform::InstanceRegion {
 public:
  std::uint32_t ReadPublishedHandle(const std::string&) override { return 4242; }
  void PublishHandle(const std::string&, std::uint32_t) override { ++published; }
  bool NamesRunningInstance(std::uint32_t handle) override { return handle == 4242; }
  bool RequestActivation(const std::string&, std::uint32_t) override { return ++requests, true; }
  std::uint32_t OwnHandle() override { return 1; }
  int published = 0;
  int requests = 0;
};

TEST(QtMainWindow, AlreadyRunningBoxNeedsNoWindow) {
  testsupport::TempDir app, registryDir;
  platform::SetAppFolderOverride(app.path());
  platform::RegistryLocations locations{registryDir.file("m.reg"), registryDir.file("u.reg"),
                                        registryDir.file("am"), registryDir.file("au")};
  auto registry = platform::OpenRegistryStore(locations);
  platform::testing::FakeProcesses processes;
  ui::scripted::RecordingBrowser browser;
  // The real message box this time, answered as the user would.
  ui::qt::QtFrontEnd front({nullptr, &browser, ui::qt::QtFrontEnd::TrayMode::Available, nullptr, {}});
  QString text, caption;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = box->text();
    caption = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  RunningElsewhere region;
  EXPECT_EQ(app::RunMainBlock(app::CommandLine{}, front, app::ShieldServices{processes, *registry, platform::LinuxPathConventions()}, region), 0);
  EXPECT_EQ(text, "Orvane Vazeru is already running.");
  EXPECT_EQ(caption, "Orvane shield");
  EXPECT_EQ(region.requests, 1);
  EXPECT_EQ(region.published, 0);
  EXPECT_FALSE(front.View().HasWindow());
  EXPECT_FALSE(platform::FileExists(app.file("Vazeru.log")));
  platform::SetAppFolderOverride("");
}

}  // namespace
}  // namespace vz::qttest
