// The guard's question on the windows: a start page written by another
// thread reaches the UI thread through the dispatcher and is asked about in a
// message box with its caption, line breaks and OK/Cancel; Cancel restores it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <thread>

#include <QCheckBox>

#include "QtTestShield.h"
#include "guard/GuardedSettings.h"
#include "ui/qt/OptionsPage.h"

namespace vz::qttest {
namespace {

using platform::RegistryRoot;

void SetStartPage(platform::RegistryStore& store, const std::string& page) {
  platform::RegistryKey key;
  ASSERT_TRUE(store.OpenKey(RegistryRoot::CurrentUser, guard::kBrowserPagesKey, platform::RegAccess::ReadWrite,
                            platform::RegDisposition::CreateIfMissing, key));
  ASSERT_TRUE(key.WriteString("Start Page", page));
}

TEST(QtGuardQuestion, ChangeFromAnotherThreadIsAskedInAMessageBoxAndCancelRestoresIt) {
  testsupport::TempDir app, registryDir;
  platform::SetAppFolderOverride(app.path());
  testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", kKnownList);
  testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tTest Spy\tvz-qtspy\tWatches you\r\n");
  testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
  auto registry = testsupport::OpenTestRegistry(registryDir);
  SetStartPage(*registry, "http://home.example/");

  platform::testing::FakeProcesses processes;
  ui::scripted::RecordingBrowser browser;
  // Real message boxes: no scripted dialogs.
  ui::qt::QtFrontEnd front(ui::qt::QtFrontEnd::Options{nullptr, &browser, ui::qt::QtFrontEnd::TrayMode::Available, nullptr, {}});
  auto shield = std::make_unique<app::Shield>(
      front.Ports(), app::ShieldServices{processes, *registry, platform::LinuxPathConventions()}, app::CommandLine{},
      [&front] { front.Terminate(); });
  shield->CreateWindows();
  front.AttachShield(*shield);

  std::thread writer([&] {
    auto other = testsupport::OpenTestRegistry(registryDir);
    SetStartPage(*other, "http://spy.example/");
  });
  writer.join();

  QString caption, text;
  QStringList buttons;
  bool windowShownDuringQuestion = false;
  int answered = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    caption = box->windowTitle();
    text = box->text();
    buttons.clear();
    for (QAbstractButton* b : box->buttons()) buttons.append(b->text().remove('&'));
    windowShownDuringQuestion = front.View().Window().isVisible();
    ++answered;
    box->button(QMessageBox::Cancel)->click();
  });
  poll.start(10);
  // Runs the UI until `count` questions were answered or the time is up.
  auto runUntilAnswered = [&](int count, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (answered < count && waited.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // Let the handler finish after the box closed.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };
  runUntilAnswered(1, 10000);

  ASSERT_EQ(answered, 1) << "no question within 10 s";
  EXPECT_EQ(caption, "Internet Explorer Change");
  EXPECT_EQ(text, "Start Page of Internet explorer changed.\n From : http://home.example/\n To  :  http://spy.example/\n"
                  "Do you want to change it to http://spy.example/ ?");
  EXPECT_EQ(buttons.size(), 2);
  EXPECT_TRUE(buttons.contains("OK"));
  EXPECT_TRUE(buttons.contains("Cancel"));
  EXPECT_TRUE(windowShownDuringQuestion);
  EXPECT_FALSE(front.View().Window().isVisible());
  EXPECT_EQ(guard::ReadRegString(*registry, RegistryRoot::CurrentUser, guard::kBrowserPagesKey, "Start Page", ""),
            "http://home.example/");

  // The "Live IE proctection" box holds the browser pages back while it is
  // off, and switching it on asks about what changed meanwhile.
  QCheckBox* liveIE = front.View().Window().optionsPage->Option(ui::LiveOption::LiveBrowserProtection);
  ASSERT_TRUE(liveIE->isEnabled());
  liveIE->click();
  EXPECT_FALSE(shield->Options().liveBrowserProtection);
  SetStartPage(*registry, "http://later.spy/");
  runUntilAnswered(2, 500);
  EXPECT_EQ(answered, 1);
  liveIE->click();
  runUntilAnswered(2, 10000);
  EXPECT_EQ(answered, 2);
  EXPECT_TRUE(text.contains("To  :  http://later.spy/"));
  poll.stop();

  // As at the end of the message loop: no more reports run, then the monitors end.
  front.Dispatcher().Shutdown();
  shield.reset();
  platform::SetAppFolderOverride("");
}

}  // namespace
}  // namespace vz::qttest
