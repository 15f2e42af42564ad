#include "ui/qt/QtAlertView.h"

#include <QTimer>

#include "ui/qt/AlertWindow.h"

namespace vz::ui::qt {

QtAlertView::QtAlertView() = default;
QtAlertView::~QtAlertView() = default;

AlertWindow& QtAlertView::EnsureWindow() {
  if (!window_) window_ = std::make_unique<AlertWindow>();
  return *window_;
}

bool QtAlertView::IsShowing() const { return window_ && (modalOpen_ || window_->isVisible()); }

void QtAlertView::ShowModal(protection::AlertModel& alert) {
  AlertWindow& form = EnsureWindow();
  form.Refresh(alert);
  if (onShown_) QTimer::singleShot(0, &form, [this, &form] { onShown_(form); });
  modalOpen_ = true;
  form.exec();
  modalOpen_ = false;
}

void QtAlertView::ShowAgain(protection::AlertModel& alert) {
  AlertWindow& form = EnsureWindow();
  form.Refresh(alert);
  form.show();
  form.raise();
  form.activateWindow();
  if (onShown_) QTimer::singleShot(0, &form, [this, &form] { onShown_(form); });
}

void QtAlertView::Close() {
  if (window_ && window_->isVisible()) window_->done(0);
}

void QtAlertView::BringToFront() {
  // An open alert that the desktop minimised or hid comes back too.
  if (IsShowing()) window_->RestoreOnScreen();
}

}  // namespace vz::ui::qt
