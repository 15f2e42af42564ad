#include "ui/qt/TrayIcon.h"

#include <QCursor>
#include <QMenu>

#include "app/Shield.h"
#include "ui/qt/ShieldIcon.h"

namespace vz::ui::qt {

namespace {

// The activation as the mouse event the tray callback numbers.
int MouseEventOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger: return app::kTrayLeftButtonDown;
    case QSystemTrayIcon::Context: return app::kTrayRightButtonDown;
    case QSystemTrayIcon::DoubleClick: return 0x203;
    case QSystemTrayIcon::MiddleClick: return 0x207;
    default: return 0;
  }
}

}  // namespace

TrayIcon::TrayIcon() : menu_(std::make_unique<QMenu>()) {
  for (const app::TrayMenuEntry& entry : app::TrayMenuEntries()) {
    QAction* action = menu_->addAction(QString::fromStdString(entry.caption));
    action->setEnabled(entry.enabledAtStart);
    action->setCheckable(entry.checkable);
    action->setChecked(entry.checkable && entry.checkedAtStart);
    if (!actions_.count(entry.command)) actions_[entry.command] = action;
    app::TrayCommand command = entry.command;
    connect(action, &QAction::triggered, this, [this, command] {
      if (model_) model_->RunTrayCommand(command);
    });
  }
  icon_.setIcon(ShieldIcon());
  icon_.setToolTip(QString::fromUtf8(app::kApplicationTitle));
  // The right button opens the menu through the desktop's own handling; the
  // left button is handled here.
  icon_.setContextMenu(menu_.get());
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::Activated);
}

TrayIcon::~TrayIcon() { icon_.hide(); }

void TrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
  int event = MouseEventOf(reason);
  // A right press already opened the context menu.
  if (!app::TrayEventOpensMenu(event) || reason == QSystemTrayIcon::Context) return;
  if (beforeMenu_) beforeMenu_();
  menu_->popup(QCursor::pos());
}

void TrayIcon::SetVisible(bool visible) { icon_.setVisible(visible); }

bool TrayIcon::IsVisible() const { return icon_.isVisible(); }

void TrayIcon::SetShowVazeruEnabled(bool enabled) { actions_.at(app::TrayCommand::ShowVazeru)->setEnabled(enabled); }

void TrayIcon::SetOptionChecked(LiveOption option, bool checked) {
  if (auto command = app::TrayCommandOf(option)) actions_.at(*command)->setChecked(checked);
}

void TrayIcon::SetOptionEnabled(LiveOption option, bool enabled) {
  if (auto command = app::TrayCommandOf(option)) actions_.at(*command)->setEnabled(enabled);
}

QAction* TrayIcon::Action(app::TrayCommand command) const {
  auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

}  // namespace vz::ui::qt
