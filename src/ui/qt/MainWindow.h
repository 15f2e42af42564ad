#pragma once
// The main window "Orvane Vazeru": the "Options" menu, the "Tools" column with
// the navigation and the two watch panels, the three pages without tabs, the
// status bar with its five panels and the floating info panel. It holds the
// widgets and forwards the user's actions to the main window model.
#include <QMainWindow>
#include <array>

#include "app/MainWindowModel.h"
#include "inventory/ProcessList.h"
#include "protection/ProcessDetails.h"
#include "watch/ProcessStatistics.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QStackedWidget;
class QToolButton;

namespace vz::ui::qt {

class OptionsPage;
class ProcessPage;
class StartupPage;
class StartLogWindow;
class StatisticsPanel;
class SystemWatchPanel;

class MainWindow final : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kWidth = 814;
  static constexpr int kHeight = 542;
  static constexpr int kToolsWidth = 137;

  MainWindow();
  void Bind(app::MainWindowModel& model, inventory::ProcessList& list, protection::ProcessDetailsPanel& details,
            watch::ProcessStatistics& statistics);
  // The shield has ended: clicks and events no longer reach it.
  void Unbind();

  void ShowPage(Page page);
  Page CurrentPage() const;
  void SetPanelVisible(WatchPanel panel, bool visible);
  // The start log window, created with its first line or showing.
  StartLogWindow& StartLog();
  bool HasStartLog() const { return startLog_ != nullptr; }
  void ShowInfoPanel(const std::string& text, int left, int top);
  HintProbe Probe() const;
  // While the core changes the window state, the change is not a user's minimise.
  void SetApplyingState(bool applying) { applyingState_ = applying; }

  QStackedWidget* pages;
  ProcessPage* processPage;
  OptionsPage* optionsPage;
  StartupPage* startupPage;
  QFrame* toolsColumn;
  StatisticsPanel* statisticsPanel;
  SystemWatchPanel* systemWatchPanel;
  std::array<QLabel*, MainWindowView::kStatusPanelCount> statusPanels{};
  QLabel* infoPanel;
  QAction* runUpdateAction;
  QAction* launchAdminAction;
  QToolButton* navigation[4];

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeMenu();
  QWidget* MakeToolsColumn();
  QWidget* MakePages();
  void MakeStatusBar();
  void MakeInfoPanel();

  app::MainWindowModel* model_ = nullptr;
  watch::ProcessStatistics* statistics_ = nullptr;
  StartLogWindow* startLog_ = nullptr;
  bool applyingState_ = false;
};

}  // namespace vz::ui::qt
