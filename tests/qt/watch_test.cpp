// The watch panels and the start log window on Qt: the panels show what the
// core measured only while the main window shows, and "More" opens the start
// log centred on the main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "QtTestShield.h"
#include "ui/qt/OptionsPage.h"
#include "ui/qt/StartLogWindow.h"
#include "ui/qt/WatchPanels.h"

namespace vz::qttest {
namespace {

constexpr std::uint64_t kSecond = 10000000;

TEST(QtWatch, TheSystemWatchFollowsTheSamplesOnlyWhileTheWindowShows) {
  QtTestShield s;
  ui::qt::SystemWatchPanel& panel = *s.Window().systemWatchPanel;
  s.cpuTimes.next = {2, 100 * kSecond, 50 * kSecond};
  s.StartUp();
  s.shield->Cycle().Tick();  // the first sample (100), hidden
  EXPECT_EQ(panel.current->text(), "0 %");
  EXPECT_EQ(panel.bar->value(), 0);

  s.shield->ShowVazeru();
  // Two seconds with one of the two processors busy: 50.5, shown as 50.
  s.cpuTimes.next.systemTime += 2 * kSecond;
  s.cpuTimes.next.idleTime += 2 * kSecond;
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  EXPECT_EQ(panel.bar->value(), 50);
  EXPECT_EQ(panel.current->text(), "50");
  EXPECT_EQ(panel.average->text(), "75");
  EXPECT_EQ(panel.bar->orientation(), Qt::Vertical);

  // Hidden again: sampled and averaged, but the panel stands still.
  s.Window().close();
  ASSERT_FALSE(s.Window().isVisible());
  s.cpuTimes.next.systemTime += 2 * kSecond;
  s.cpuTimes.next.idleTime += 4 * kSecond;
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  EXPECT_EQ(panel.current->text(), "50");
  EXPECT_EQ(s.shield->Cpu().SampleCount(), 3);
}

TEST(QtWatch, MoreOpensTheStartLogCentredOnTheMainWindow) {
  QtTestShield s;
  s.processes.Start(1, "init", "/sbin/init");
  s.processes.Start(500, "bash", "/bin/bash");
  s.StartUpAndShow();
  ui::qt::StatisticsPanel& panel = *s.Window().statisticsPanel;
  EXPECT_EQ(panel.latestStart->text(), "bash");
  EXPECT_EQ(panel.processChanges->text(), "1");
  s.processes.Start(501, "top", "/usr/bin/top");
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  EXPECT_EQ(panel.latestStart->text(), "top");
  EXPECT_EQ(panel.processChanges->text(), "2");

  panel.more->click();
  ui::qt::StartLogWindow& log = s.Window().StartLog();
  ASSERT_TRUE(log.isVisible());
  EXPECT_EQ(log.windowTitle(), "Logging of started process");
  EXPECT_EQ(log.size(), QSize(309, 407));
  auto centre = [](const QRect& r) { return QPointF(r.x() + r.width() / 2.0, r.y() + r.height() / 2.0); };
  EXPECT_LE((centre(log.frameGeometry()) - centre(s.Window().frameGeometry())).manhattanLength(), 1.0);
  ASSERT_EQ(log.list->count(), 2);
  EXPECT_TRUE(log.list->item(0)->text().endsWith(" - bash"));
  EXPECT_TRUE(log.list->item(1)->text().endsWith(" - top"));
  // The main window is still usable: the log is not modal.
  EXPECT_FALSE(log.isModal());

  log.closeButton->click();
  EXPECT_FALSE(log.isVisible());
  // Closed is not cleared: a new start adds to the same list.
  s.processes.Start(502, "make", "/usr/bin/make");
  s.shield->Cycle().Tick();
  s.shield->Cycle().Tick();
  EXPECT_EQ(log.list->count(), 3);

  // "Show process statistic" off hides the panel.
  s.Window().optionsPage->Option(ui::LiveOption::ShowProcessStatistics)->click();
  EXPECT_TRUE(panel.isHidden());
}

}  // namespace
}  // namespace vz::qttest
