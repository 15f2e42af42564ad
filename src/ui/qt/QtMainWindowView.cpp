#include "ui/qt/QtMainWindowView.h"

#include <QApplication>
#include <QLabel>

#include "ui/qt/OptionsPage.h"
#include "ui/qt/ProcessPage.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/StartupPage.h"
#include "ui/qt/StartLogWindow.h"
#include "ui/qt/TrayIcon.h"
#include "ui/qt/WatchPanels.h"

namespace vz::ui::qt {

QtMainWindowView::QtMainWindowView() = default;

QtMainWindowView::~QtMainWindowView() {
  if (busy_) QApplication::restoreOverrideCursor();
}

MainWindow& QtMainWindowView::Window() {
  if (!window_) window_ = std::make_unique<MainWindow>();
  return *window_;
}

TrayIcon& QtMainWindowView::Tray() {
  if (!tray_) {
    tray_ = std::make_unique<TrayIcon>();
    // The window comes to the foreground before the menu opens, so that the
    // menu closes when the user clicks elsewhere.
    tray_->SetBeforeMenu([this] {
      if (window_ && window_->isVisible()) window_->activateWindow();
    });
  }
  return *tray_;
}

void QtMainWindowView::SetStatusPanel(int index, const std::string& text) {
  if (index < 0 || index >= kStatusPanelCount) return;
  Window().statusPanels[static_cast<size_t>(index)]->setText(QString::fromStdString(text));
}

void QtMainWindowView::ShowWindow() { Window().show(); }

void QtMainWindowView::HideWindow() {
  if (window_) window_->hide();
}

bool QtMainWindowView::IsWindowShowing() const { return window_ && window_->isVisible(); }

void QtMainWindowView::SetWindowState(WindowState state) {
  MainWindow& form = Window();
  form.SetApplyingState(true);
  Qt::WindowStates states = form.windowState();
  if (state == WindowState::Minimized) {
    if (form.isVisible())
      form.showMinimized();
    else
      form.setWindowState(states | Qt::WindowMinimized);
  } else {
    if (form.isVisible() && (states & Qt::WindowMinimized))
      form.showNormal();
    else
      form.setWindowState(states & ~Qt::WindowMinimized);
  }
  form.SetApplyingState(false);
}

void QtMainWindowView::BringToFront() {
  MainWindow& form = Window();
  form.raise();
  form.activateWindow();
}

void QtMainWindowView::SetCaption(const std::string& caption) {
  Window().setWindowTitle(QString::fromStdString(caption));
}

void QtMainWindowView::SetBusyCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void QtMainWindowView::SetProcessList(const std::vector<std::string>& names, int selected) {
  Window().processPage->SetProcessList(names, selected);
}

void QtMainWindowView::SetProcessPageEnabled(bool enabled) { Window().processPage->setEnabled(enabled); }

void QtMainWindowView::SetShieldLog(const std::vector<std::string>& entries) {
  Window().processPage->SetShieldLog(entries);
}

void QtMainWindowView::SetStartupRows(const std::vector<StartupRow>& rows, int selected) {
  Window().startupPage->SetRows(rows, selected);
}

void QtMainWindowView::SetOptionChecked(LiveOption option, bool checked) {
  Window().optionsPage->SetOptionChecked(option, checked);
}

void QtMainWindowView::SetShowVazeruEnabled(bool enabled) { Tray().SetShowVazeruEnabled(enabled); }

void QtMainWindowView::SetInfoLabel(const std::string& text) { Window().optionsPage->SetInfoLabel(text); }

void QtMainWindowView::ShowPage(Page page) { Window().ShowPage(page); }

void QtMainWindowView::SetPanelVisible(WatchPanel panel, bool visible) { Window().SetPanelVisible(panel, visible); }

void QtMainWindowView::SetProgramInfo(const ProgramInfo& info) { Window().optionsPage->SetProgramInfo(info); }

void QtMainWindowView::SetCpuWatch(int barPosition, const std::string& current, const std::string& average) {
  Window().systemWatchPanel->Show(barPosition, current, average);
}

void QtMainWindowView::SetStatisticsLabel(StatisticsLabel label, const std::string& text) {
  Window().statisticsPanel->SetLabel(label, text);
}

void QtMainWindowView::AddStartLogLine(const std::string& line) { Window().StartLog().AddLine(line); }

void QtMainWindowView::ShowStartLogWindow() { Window().StartLog().ShowCentredOn(Window()); }

void QtMainWindowView::SetTrayIconVisible(bool visible) {
  if (visible || tray_) Tray().SetVisible(visible);
}

void QtMainWindowView::SetTrayOptionChecked(LiveOption option, bool checked) {
  Tray().SetOptionChecked(option, checked);
}

void QtMainWindowView::SetOptionEnabled(LiveOption option, bool enabled) {
  Window().optionsPage->SetOptionEnabled(option, enabled);
}

void QtMainWindowView::SetTrayOptionEnabled(LiveOption option, bool enabled) {
  Tray().SetOptionEnabled(option, enabled);
}

void QtMainWindowView::ShowInfoPanel(const std::string& text, int left, int top) {
  Window().ShowInfoPanel(text, left, top);
}

void QtMainWindowView::HideInfoPanel() {
  if (window_) window_->infoPanel->hide();
}

HintProbe QtMainWindowView::ProbeUnderCursor() const { return window_ ? window_->Probe() : HintProbe{}; }

}  // namespace vz::ui::qt
