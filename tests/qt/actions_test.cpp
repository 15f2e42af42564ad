// Actions that hand something to the desktop (a web page, a folder, a file,
// the admin console) never fail in silence: a desktop without a browser, a
// file manager, a viewer or the program gets one line in the shield log and
// the same text in the status bar. Links that are not web addresses are
// refused before anything is started.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <cstdlib>

#include "QtTestShield.h"
#include "ui/qt/AlertWindow.h"
#include "ui/qt/DetailsPanel.h"
#include "ui/qt/OptionsPage.h"
#include "ui/qt/ProcessPage.h"

namespace vz::qttest {
namespace {

// PATH holds only a folder of the test's, for the test's duration.
class OwnPath {
 public:
  explicit OwnPath(const std::string& folder) {
    const char* path = std::getenv("PATH");
    saved_ = path ? path : "";
    ::setenv("PATH", folder.c_str(), 1);
  }
  ~OwnPath() { ::setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

class QtActions : public ::testing::Test {
 protected:
  void SetUp() override {
    s.processes.Start(300, "bash", "/usr/bin/bash");
    s.StartUpAndShow();
  }
  // The newest line of the shield log (without its time) once it says `text`.
  bool Said(const std::string& text) {
    return testsupport::WaitUntil(
        [&] {
          QtTestShield::Pump();
          const auto& entries = s.shield->Log().Entries();
          return !entries.empty() && entries.front().find("  " + text) != std::string::npos &&
                 s.Window().statusPanels[3]->text().toStdString() == text;
        },
        5000);
  }
  // An opener that finds nothing to open anything with, as xdg-open on a
  // desktop without the programs; it notes what it was given.
  void InstallHelplessOpener() {
    testsupport::WriteFile(bin.file("xdg-open"), "#!/bin/sh\necho \"$1\" >> \"" + bin.file("given") + "\"\nexit 3\n");
    ASSERT_EQ(::chmod(bin.file("xdg-open").c_str(), 0755), 0);
  }

  testsupport::TempDir bin;
  OwnPath path{bin.path()};
  QtTestShield s{ui::qt::QtFrontEnd::TrayMode::Available, nullptr, true};
};

TEST_F(QtActions, WithoutAnyOpenerOrConsoleEachActionSaysSo) {
  s.Window().navigation[3]->click();  // "Help Forum Online"
  EXPECT_TRUE(Said("Could not open the web page: no browser found"));
  size_t lines = s.shield->Log().Entries().size();
  for (QLabel* label : s.Window().optionsPage->findChildren<QLabel*>())
    if (label->text().contains(QString::fromStdString(app::WebLinkAddress(app::WebLink::AuthorSite))))
      emit label->linkActivated("link");
  EXPECT_TRUE(Said("Could not open the web page: no browser found"));
  EXPECT_EQ(s.shield->Log().Entries().size(), lines + 1);

  s.Window().launchAdminAction->trigger();
  EXPECT_TRUE(Said("Could not start the admin console: " + s.app.file("qvadmin") + ": No such file or directory"));
  s.TrayAction(app::TrayCommand::LaunchAdminConsole)->trigger();
  EXPECT_EQ(s.shield->Log().Entries().size(), lines + 3);
}

TEST_F(QtActions, AnOpenerWithNothingToOpenWithIsReportedWhenItGivesUp) {
  InstallHelplessOpener();
  ui::qt::ProcessPage& page = *s.Window().processPage;
  page.taskList->setCurrentRow(0);
  page.details->openFolderButton->click();
  EXPECT_TRUE(Said("Could not open the folder: no file manager found"));
  page.details->moreInfoButton->click();
  EXPECT_TRUE(Said("Could not open the web page: no browser found"));

  testsupport::WriteFile(s.app.file("Vazeru.log"), "10:00:00  Examine Startups\r\n");
  s.Window().optionsPage->Button(app::OptionsButton::ViewShieldLog)->click();
  EXPECT_TRUE(Said("Could not show the file: no viewer found"));
  std::vector<std::string> given = testsupport::SplitLines(testsupport::ReadFile(bin.file("given")));
  ASSERT_EQ(given.size(), 3u);
  EXPECT_EQ(given[0], "/usr/bin/");
  EXPECT_NE(given[1].find("/search?q=bash"), std::string::npos) << given[1];
  EXPECT_EQ(given[2], s.app.file("Vazeru.log"));

  // One click, one viewer: "View Schedule/Download Log" hands DW.log over once.
  testsupport::WriteFile(s.app.file("DW.log"), "2026-03-04 10:00:00 : Connected\r\n");
  size_t lines = s.shield->Log().Entries().size();
  s.Window().optionsPage->Button(app::OptionsButton::ViewDownloadLog)->click();
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        QtTestShield::Pump();
        return s.shield->Log().Entries().size() > lines;
      },
      5000));
  // A second launch, were there one, would report within this time too.
  for (int i = 0; i < 30; ++i) {
    QtTestShield::Pump();
    ::usleep(10000);
  }
  given = testsupport::SplitLines(testsupport::ReadFile(bin.file("given")));
  ASSERT_EQ(given.size(), 4u);
  EXPECT_EQ(given[3], s.app.file("DW.log"));
  EXPECT_EQ(s.shield->Log().Entries().size(), lines + 1);
}

TEST_F(QtActions, AnAlertsLinkThatIsNotAWebAddressIsRefusedAndSaid) {
  InstallHelplessOpener();
  protection::AlertModel& alert = s.shield->Alert();
  alert.Fields() = protection::AlertFields{protection::kMemoryAlertTitle, "Test Spy    (vz-spy)", "/opt/vz/vz-spy",
                                           "4242", "Watches you", "file:///etc/shadow", {}};
  s.Front().Alert().SetOnShown([&](ui::qt::AlertWindow& f) {
    emit f.urlLabel1->linkActivated("link");
    EXPECT_TRUE(Said("Refused to open a link that is not a web address: file:///etc/shadow"));
    f.moreInfoButton->click();
    EXPECT_TRUE(Said("Could not open the web page: no browser found"));
    f.closeButton->click();
  });
  alert.ShowAlert();
  // The opener was given the search, never the file link.
  std::vector<std::string> given = testsupport::SplitLines(testsupport::ReadFile(bin.file("given")));
  ASSERT_EQ(given.size(), 1u);
  EXPECT_NE(given[0].find("/search?q=vz-spy"), std::string::npos) << given[0];
}

}  // namespace
}  // namespace vz::qttest
