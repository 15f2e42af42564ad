#include "ui/qt/QtAlertView.h"

#include <QTimer>

#include "ui/qt/TForm2.h"

namespace vz::ui::qt {

QtAlertView::QtAlertView() = default;
QtAlertView::~QtAlertView() = default;

TForm2& QtAlertView::EnsureForm() {
  if (!form_) form_ = std::make_unique<TForm2>();
  return *form_;
}

bool QtAlertView::IsShowing() const { return form_ && form_->isVisible(); }

void QtAlertView::ShowModal(protection::AlertModel& alert) {
  TForm2& form = EnsureForm();
  form.Refresh(alert);
  if (onShown_) QTimer::singleShot(0, &form, [this, &form] { onShown_(form); });
  form.exec();
}

void QtAlertView::ShowAgain(protection::AlertModel& alert) {
  TForm2& form = EnsureForm();
  form.Refresh(alert);
  form.show();
  form.raise();
  form.activateWindow();
  if (onShown_) QTimer::singleShot(0, &form, [this, &form] { onShown_(form); });
}

void QtAlertView::Close() {
  if (form_ && form_->isVisible()) form_->done(0);
}

void QtAlertView::BringToFront() {
  if (!IsShowing()) return;
  form_->raise();
  form_->activateWindow();
}

}  // namespace vz::ui::qt
