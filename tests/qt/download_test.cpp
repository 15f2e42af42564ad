// The "Download Updates" window: its widgets and their wiring to the
// downloader, against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "QtTestShield.h"
#include "http/TestHttpServer.h"
#include "ui/qt/DownloadWindow.h"
#include "ui/qt/OptionsPage.h"

namespace vz::qttest {
namespace {

TEST(QtDownloadWindow, RunUpdateNowOpensTheWindowWhoseCommandsReachTheDownloader) {
  QtTestShield s;
  testsupport::TestHttpServer server;
  server.SetFile("/qv/proc3.pck", "new third archive");
  s.StartUp();
  s.shield->SetRestartProgram("/bin/true");

  s.Window().optionsPage->Button(app::OptionsButton::RunUpdateNow)->click();
  ui::qt::DownloadWindow& w = s.Front().Download().Window();
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(w.isModal());
  EXPECT_EQ("Download Updates", w.windowTitle());
  EXPECT_EQ("Ready", w.status->text());
  EXPECT_TRUE(w.status->font().bold());
  EXPECT_FALSE(w.detailedLog->isVisible());
  EXPECT_TRUE(s.dialogs.shown.empty());  // nothing new yet: no restart prompt

  // "View Log" makes the window 170 px taller and shows the log; the
  // restore button takes it back.
  int collapsed = w.height();
  w.viewLogButton->click();
  EXPECT_EQ(collapsed + 170, w.height());
  EXPECT_TRUE(w.detailedLog->isVisible());
  EXPECT_FALSE(w.viewLogButton->isEnabled());
  w.restoreButton->click();
  EXPECT_EQ(collapsed, w.height());
  EXPECT_TRUE(w.viewLogButton->isEnabled());

  // "Check for updates now" fetches; the gauge is full and the log reads newest first.
  s.shield->Downloader().ConfigureDownload(server.BaseUrl(), update::kRemoteFolder, "", s.app.path());
  emit w.checkLink->linkActivated("check");
  EXPECT_EQ("new third archive", testsupport::ReadFile(s.app.file("Proc3.pck")));
  EXPECT_EQ(update::kStatusNewData, w.status->text().toStdString());
  EXPECT_EQ(w.gauge->maximum(), w.gauge->value());
  QStringList lines = w.detailedLog->toPlainText().split('\n');
  ASSERT_EQ(static_cast<int>(s.shield->Downloader().DetailedLog().size()), lines.size());
  EXPECT_TRUE(lines.front().endsWith(" : New data downloaded"));
  EXPECT_TRUE(lines.back().endsWith(" : Begin Download proc1.pck") || lines.back().contains("proc1.pck"));

  // The close button hides the window; the model lives on.
  w.closeButton->click();
  EXPECT_FALSE(w.isVisible());

  // The menu's "Run Update" now finds the new data: the prompt, then the restart.
  s.Window().runUpdateAction->trigger();
  ASSERT_EQ(1u, s.dialogs.shown.size());
  EXPECT_EQ("Restart", s.dialogs.shown[0].caption);
  EXPECT_EQ("Restart Vazeru to activate the new datafiles", s.dialogs.shown[0].text);
  EXPECT_EQ(" Restarting", s.Window().windowTitle().toStdString());
  EXPECT_FALSE(w.isVisible());
}

}  // namespace
}  // namespace vz::qttest
