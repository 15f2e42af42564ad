// The "Startup programs" page on Qt: the grid as the startup list stands,
// the row under a mouse press selected before the menu opens, each menu item
// and button reaching its action, and the two "Vazeru Options" buttons that
// write and delete the shield's own entry.
#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "QtTestShield.h"
#include "platform/FileSystem.h"
#include "platform/testing/MemoryRegistry.h"
#include "ui/qt/AlertWindow.h"
#include "ui/qt/OptionsPage.h"
#include "ui/qt/StartupPage.h"

namespace vz::qttest {
namespace {

using ui::DialogAnswer;
using ui::qt::AlertWindow;

class QtStartupPage : public ::testing::Test {
 protected:
  void SetUp() override {
    s.StartUp();
    std::filesystem::create_directories(UserFolder());
    // Markup in a folder name is a name like any other.
    std::filesystem::create_directories(s.app.file("My <i>Tools"));
    spyProgram = s.app.file("My <i>Tools/vz-qtspy");
    testsupport::WriteFile(spyProgram, "program");
    Entry("notes", "/usr/bin/true");
    Entry("spy", '"' + spyProgram + "\" --flag %U");
    // Never left waiting in a modal loop, whatever a test does.
    QTimer::singleShot(20000, [this] {
      if (auto* form = s.Front().Alert().Window()) form->done(0);
    });
    s.Front().Alert().SetOnShown([this](AlertWindow& f) {
      alertTitles.push_back(f.label1->text().toStdString());
      alertRows.push_back(f.label5->text().toStdString());
      EXPECT_EQ(f.label3->text().toStdString(), spyProgram);
      EXPECT_EQ(f.label3->textFormat(), Qt::PlainText);
      f.closeButton->click();
    });
  }
  std::string UserFolder() const { return s.registryDir.file("autostart-user"); }
  void Entry(const std::string& name, const std::string& exec) const {
    testsupport::WriteFile(UserFolder() + "/" + name + ".desktop",
                           "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
  }
  ui::qt::StartupPage& Page() { return *s.Window().startupPage; }
  QTableWidget& Grid() { return *Page().startupGrid; }
  QAction* MenuItem(const char* name) { return Page().gridMenu->findChild<QAction*>(name); }
  void PressOnRow(int row, Qt::MouseButton button) {
    QRect cell = Grid().visualItemRect(Grid().item(row, 1));
    QTest::mousePress(Grid().viewport(), button, {}, cell.center());
    QTest::mouseRelease(Grid().viewport(), button, {}, cell.center());
  }

  QtTestShield s;
  std::string spyProgram;
  std::vector<std::string> alertTitles, alertRows;
};

TEST_F(QtStartupPage, GridShowsTheListAndEveryCommandReachesItsAction) {
  s.shield->ShowVazeru();
  s.Window().navigation[2]->click();
  ASSERT_EQ(s.Window().pages->currentWidget(), &Page());
  // "Refresh List" reads the entries written after the window was made.
  EXPECT_EQ(Grid().rowCount(), 0);
  Page().refreshButton->click();
  ASSERT_EQ(Grid().rowCount(), 2);
  EXPECT_EQ(Grid().columnCount(), 3);
  EXPECT_TRUE(Grid().horizontalHeader()->isHidden());
  EXPECT_EQ(Grid().selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(Grid().item(0, 0)->text(), "notes");
  EXPECT_EQ(Grid().item(1, 1)->text().toStdString(), '"' + spyProgram + "\" --flag %U");
  EXPECT_EQ(Grid().item(1, 2)->text(), "[HKCU]");

  // A right-button press selects the row under the pointer, for the menu.
  PressOnRow(1, Qt::RightButton);
  EXPECT_EQ(s.shield->Startup().SelectedRow(), 1);
  ASSERT_EQ(Grid().selectedItems().size(), 3);
  EXPECT_EQ(Grid().selectedItems().first()->row(), 1);
  ASSERT_NE(MenuItem("Checkthisitem1"), nullptr);
  EXPECT_EQ(MenuItem("Checkthisitem1")->text(), "Check this item");
  EXPECT_EQ(MenuItem("Delete1")->text(), "Remove");
  EXPECT_EQ(MenuItem("RefreshList1")->text(), "Refresh List");

  // "Check this item" on the quoted command with arguments finds the program.
  MenuItem("Checkthisitem1")->trigger();
  ASSERT_EQ(alertRows, std::vector<std::string>{"1"});
  EXPECT_EQ(alertTitles[0], "Possible Spyware Entry Found in STARTUPS");

  // "Check startup programs": the scan, then its closing box after the alert.
  EXPECT_EQ(Page().checkButton->text(), "Check startup programs");
  Page().checkButton->click();
  EXPECT_EQ(alertRows.size(), 2u);
  ASSERT_FALSE(s.dialogs.shown.empty());
  EXPECT_EQ(s.dialogs.shown.back().caption, "Scan");
  EXPECT_EQ(s.dialogs.shown.back().text, "Scan of Startup Programs Finished");

  // "Remove" asks about the row pressed on: Cancel keeps it, OK removes it.
  PressOnRow(1, Qt::LeftButton);
  s.dialogs.answers = {DialogAnswer::Cancel};
  MenuItem("Delete1")->trigger();
  EXPECT_EQ(s.dialogs.shown.back().caption, "Remove Startup");
  EXPECT_EQ(s.dialogs.shown.back().text, "Remove this startup program : spy");
  EXPECT_EQ(Grid().rowCount(), 2);
  s.dialogs.answers = {DialogAnswer::Ok};
  MenuItem("Delete1")->trigger();
  EXPECT_FALSE(platform::FileExists(UserFolder() + "/spy.desktop"));
  EXPECT_TRUE(platform::FileExists(spyProgram));
  ASSERT_EQ(Grid().rowCount(), 1);

  // The menu's "Refresh List" too.
  Entry("later", "/usr/bin/true");
  MenuItem("RefreshList1")->trigger();
  EXPECT_EQ(Grid().rowCount(), 2);
}

TEST_F(QtStartupPage, OwnEntryButtonsWriteOneEntryAndShowTheRealState) {
  QPushButton* start = s.Window().optionsPage->Button(app::OptionsButton::StartOnSystemStartup);
  QPushButton* remove = s.Window().optionsPage->Button(app::OptionsButton::RemoveFromSystemStartup);
  start->click();
  start->click();
  const std::string own = s.registryDir.file("autostart-machine/Orvane shield.desktop");
  ASSERT_TRUE(platform::FileExists(own));
  // One row for it (the machine's come first), with the running program.
  ASSERT_EQ(Grid().rowCount(), 3);
  EXPECT_EQ(Grid().item(0, 0)->text(), "Orvane shield");
  EXPECT_EQ(Grid().item(0, 1)->text().toStdString(), platform::StartupCommandFor(platform::OwnExecutablePath()));
  EXPECT_EQ(Grid().item(0, 2)->text(), "[HKLM]");
  remove->click();
  EXPECT_FALSE(platform::FileExists(own));
  EXPECT_EQ(Grid().rowCount(), 2);
}

TEST(QtStartupPageReadOnly, MachineKeyWithoutWriteRightsIsLeftAsItIs) {
  // The machine hive may only be read, as for a user without administrator
  // rights: the button changes nothing and the grid shows the real state.
  platform::testing::MemoryRegistry memory;
  platform::RegistryKey run;
  ASSERT_TRUE(memory.OpenKey(platform::RegistryRoot::LocalMachine, startup::kRunKey, platform::RegAccess::ReadWrite,
                             platform::RegDisposition::OpenExisting, run));
  ASSERT_TRUE(run.WriteString("vendor", "/usr/bin/vendor-tool"));
  memory.SetReadOnly(platform::RegistryRoot::LocalMachine, true);
  QtTestShield s(ui::qt::QtFrontEnd::TrayMode::Available, nullptr, false, &memory);
  const int writes = memory.WriteCount();
  s.Window().optionsPage->Button(app::OptionsButton::StartOnSystemStartup)->click();
  EXPECT_EQ(memory.WriteCount(), writes);
  QTableWidget& grid = *s.Window().startupPage->startupGrid;
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.item(0, 0)->text(), "vendor");
  EXPECT_EQ(grid.item(0, 2)->text(), "[HKLM]");
}

}  // namespace
}  // namespace vz::qttest
