#include "ui/qt/QtMainWindowView.h"

#include <QApplication>
#include <QLabel>

#include "ui/qt/OptionsPage.h"
#include "ui/qt/ProcessPage.h"
#include "ui/qt/TForm1.h"
#include "ui/qt/TrayIcon.h"

namespace vz::ui::qt {

QtMainWindowView::QtMainWindowView() = default;

QtMainWindowView::~QtMainWindowView() {
  if (busy_) QApplication::restoreOverrideCursor();
}

TForm1& QtMainWindowView::Form() {
  if (!form_) form_ = std::make_unique<TForm1>();
  return *form_;
}

TrayIcon& QtMainWindowView::Tray() {
  if (!tray_) {
    tray_ = std::make_unique<TrayIcon>();
    // The window comes to the foreground before the menu opens, so that the
    // menu closes when the user clicks elsewhere.
    tray_->SetBeforeMenu([this] {
      if (form_ && form_->isVisible()) form_->activateWindow();
    });
  }
  return *tray_;
}

void QtMainWindowView::SetStatusPanel(int index, const std::string& text) {
  if (index < 0 || index >= kStatusPanelCount) return;
  Form().statusPanels[static_cast<size_t>(index)]->setText(QString::fromStdString(text));
}

void QtMainWindowView::ShowWindow() { Form().show(); }

void QtMainWindowView::HideWindow() {
  if (form_) form_->hide();
}

bool QtMainWindowView::IsWindowShowing() const { return form_ && form_->isVisible(); }

void QtMainWindowView::SetWindowState(WindowState state) {
  TForm1& form = Form();
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
  TForm1& form = Form();
  form.raise();
  form.activateWindow();
}

void QtMainWindowView::SetCaption(const std::string& caption) {
  Form().setWindowTitle(QString::fromStdString(caption));
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
  Form().processPage->SetProcessList(names, selected);
}

void QtMainWindowView::SetProcessPageEnabled(bool enabled) { Form().processPage->setEnabled(enabled); }

void QtMainWindowView::SetShieldLog(const std::vector<std::string>& entries) {
  Form().processPage->SetShieldLog(entries);
}

void QtMainWindowView::SetStartupRows(const std::vector<StartupRow>&, int) {
  // The startup page's grid comes with the startup subsystem.
}

void QtMainWindowView::SetOptionChecked(LiveOption option, bool checked) {
  Form().optionsPage->SetOptionChecked(option, checked);
}

void QtMainWindowView::SetShowVazeruEnabled(bool enabled) { Tray().SetShowVazeruEnabled(enabled); }

void QtMainWindowView::SetInfoLabel(const std::string& text) { Form().optionsPage->SetInfoLabel(text); }

void QtMainWindowView::ShowPage(Page page) { Form().ShowPage(page); }

void QtMainWindowView::SetPanelVisible(WatchPanel panel, bool visible) { Form().SetPanelVisible(panel, visible); }

void QtMainWindowView::SetProgramInfo(const ProgramInfo& info) { Form().optionsPage->SetProgramInfo(info); }

void QtMainWindowView::SetTrayIconVisible(bool visible) {
  if (visible || tray_) Tray().SetVisible(visible);
}

void QtMainWindowView::SetTrayOptionChecked(LiveOption option, bool checked) {
  Tray().SetOptionChecked(option, checked);
}

void QtMainWindowView::ShowInfoPanel(const std::string& text, int left, int top) {
  Form().ShowInfoPanel(text, left, top);
}

void QtMainWindowView::HideInfoPanel() {
  if (form_) form_->infoPanel->hide();
}

HintProbe QtMainWindowView::ProbeUnderCursor() const { return form_ ? form_->Probe() : HintProbe{}; }

}  // namespace vz::ui::qt
