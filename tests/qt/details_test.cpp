// The details panel on the process page: a click on a line of "TaskList"
// fills the labels from the known-programs list and the process table and
// shows or hides the buttons; the list's menu and buttons reach their actions.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

#include "QtTestShield.h"
#include "ui/qt/DetailsPanel.h"
#include "ui/qt/ProcessPage.h"

namespace vz::qttest {
namespace {

TEST(QtDetails, SelectingALineFillsThePanelAndShowsItsButtons) {
  QtTestShield s;
  s.processes.Start(1, "init", "/sbin/init");
  s.processes.Start(300, "bash", "/usr/bin/bash");
  s.processes.Start(400, "mystery", "");  // listed without a path
  s.StartUp();
  s.shield->Cycle().Tick();
  ui::qt::ProcessPage& page = *s.Window().processPage;
  ui::qt::DetailsPanel& d = *page.details;
  ASSERT_EQ(page.taskList->count(), 3);
  // Nothing selected: the buttons wait for a selection.
  EXPECT_TRUE(d.killButton->isHidden());
  EXPECT_TRUE(d.moreInfoButton->isHidden());
  EXPECT_TRUE(d.openFolderButton->isHidden());

  int bash = -1, mystery = -1;
  for (int i = 0; i < page.taskList->count(); ++i) {
    if (page.taskList->item(i)->text() == "bash") bash = i;
    if (page.taskList->item(i)->text() == "mystery") mystery = i;
  }
  ASSERT_GE(bash, 0);
  ASSERT_GE(mystery, 0);

  page.taskList->setCurrentRow(bash);
  EXPECT_EQ(s.shield->Processes().Selected(), bash);
  EXPECT_EQ(d.desc1->text(), "Bash shell");
  EXPECT_EQ(d.desc2->text(), "bash");
  EXPECT_EQ(d.desc3->text(), "Normal");
  EXPECT_EQ(d.desc4->text(), "Process ID : 300");
  EXPECT_EQ(d.desc5->text(), "/usr/bin/bash");
  EXPECT_EQ(d.desc10->toPlainText(), "The GNU shell\nIt reads commands\n Manual");
  EXPECT_TRUE(d.urlen->text().contains("http://example.com/bash"));
  EXPECT_FALSE(d.killButton->isHidden());
  EXPECT_FALSE(d.moreInfoButton->isHidden());
  EXPECT_FALSE(d.openFolderButton->isHidden());

  d.openFolderButton->click();
  EXPECT_EQ(s.browser.foldersOpened, std::vector<std::string>{"/usr/bin/"});
  page.taskMenu->actions()[0]->trigger();  // "More Info (Internet search)"
  ASSERT_EQ(s.browser.opened.size(), 1u);
  EXPECT_NE(s.browser.opened[0].find("/search?q=bash"), std::string::npos);

  page.taskList->setCurrentRow(mystery);
  EXPECT_EQ(d.desc1->text(), "mystery");
  EXPECT_EQ(d.desc10->toPlainText(), "Unknown");
  EXPECT_TRUE(d.urlen->text().isEmpty());
  EXPECT_TRUE(d.openFolderButton->isHidden()) << "no path, no folder";
  EXPECT_FALSE(d.killButton->isHidden());

  // "Kill Process" reaches the termination once: one question, and No ends nothing.
  s.dialogs.answers.push_back(ui::DialogAnswer::No);
  page.taskMenu->actions()[1]->trigger();
  ASSERT_EQ(s.dialogs.shown.size(), 1u);
  EXPECT_NE(s.dialogs.shown[0].text.find("Sure you want to stop this Process ?"), std::string::npos);
  EXPECT_TRUE(s.processes.terminations().empty());
  // F5 rebuilds the list and keeps the selection.
  s.processes.Start(500, "late", "/usr/bin/late");
  s.shield->MainWindow().RefreshProcessList();
  EXPECT_EQ(page.taskList->count(), 4);
  EXPECT_EQ(page.taskList->currentRow(), mystery);
}

TEST(QtDetails, NothingIsSelectedUntilTheUserChoosesAndTheSelectionFollowsItsProcess) {
  QtTestShield s;
  s.processes.Start(1, "init", "/sbin/init");
  s.processes.Start(300, "bash", "/usr/bin/bash");
  s.processes.Start(400, "vz-late", "/usr/bin/vz-late");
  s.StartUpAndShow();
  ui::qt::ProcessPage& page = *s.Window().processPage;
  ui::qt::DetailsPanel& d = *page.details;
  // To the process page as the user goes there; the list gets the focus.
  s.Window().navigation[0]->click();
  s.Window().navigation[1]->click();
  QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
  QCoreApplication::sendEvent(page.taskList, &focusIn);
  s.Pump();
  EXPECT_EQ(s.shield->Processes().Selected(), -1);
  EXPECT_TRUE(page.taskList->selectedItems().isEmpty());
  EXPECT_TRUE(d.killButton->isHidden()) << "nobody chose a process to kill";

  page.taskList->setCurrentRow(1);  // the user clicks bash
  ASSERT_EQ(d.desc4->text(), "Process ID : 300");
  // init ends: bash moves up a row, and the selection and the panel go with it.
  s.processes.End(1);
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  ASSERT_EQ(page.taskList->count(), 2);
  ASSERT_EQ(page.taskList->selectedItems().size(), 1);
  EXPECT_EQ(page.taskList->selectedItems()[0]->text(), "bash");
  EXPECT_EQ(s.shield->Processes().Selected(), 0);
  EXPECT_EQ(d.desc4->text(), "Process ID : 300");
  // bash ends: nothing is selected, the panel is empty and offers nothing.
  s.processes.End(300);
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  EXPECT_TRUE(page.taskList->selectedItems().isEmpty());
  EXPECT_EQ(s.shield->Processes().Selected(), -1);
  EXPECT_TRUE(d.desc1->text().isEmpty());
  EXPECT_TRUE(d.desc4->text().isEmpty());
  EXPECT_TRUE(d.killButton->isHidden());
  EXPECT_TRUE(d.openFolderButton->isHidden());
}

TEST(QtDetails, APathOverTwoLinesMovesNothingAndTheLogKeepsItsSize) {
  QtTestShield s;
  s.processes.Start(300, "bash", "/usr/bin/bash");
  s.processes.Start(310, "tool", "/opt/a rather long folder name/with several parts in it/and then some more of "
                                 "them/and more still until it wraps/tool");
  s.StartUpAndShow();
  ui::qt::ProcessPage& page = *s.Window().processPage;
  s.Pump();
  const QRect log = page.logList->geometry();
  const QRect details = page.details->geometry();
  const QRect list = page.taskList->geometry();
  const QSize window = s.Window().size();
  EXPECT_EQ(log.height(), ui::qt::ProcessPage::kLogHeight);
  for (int row : {1, 0, 1}) {
    page.taskList->setCurrentRow(row);
    s.Pump();
    EXPECT_EQ(page.logList->geometry(), log) << "row " << row;
    EXPECT_EQ(page.details->geometry(), details) << "row " << row;
    EXPECT_EQ(page.taskList->geometry(), list) << "row " << row;
    EXPECT_EQ(s.Window().size(), window) << "row " << row;
  }
  // The path is shown, and whole in its tool tip.
  EXPECT_TRUE(page.details->desc5->text().endsWith("/tool"));
  EXPECT_EQ(page.details->desc5->toolTip(), page.details->desc5->text());
}

}  // namespace
}  // namespace vz::qttest
