#pragma once
// The notification-area icon and its menu. The entries, their order and
// their states come from the main window model; a click is forwarded to it.
#include <QObject>
#include <QSystemTrayIcon>
#include <map>

#include "app/MainWindowModel.h"

class QMenu;
class QAction;

namespace vz::ui::qt {

class TrayIcon final : public QObject {
  Q_OBJECT
 public:
  TrayIcon();
  ~TrayIcon() override;

  void Bind(app::MainWindowModel* model) { model_ = model; }
  // Called before the menu opens (the main window is made the foreground window).
  void SetBeforeMenu(std::function<void()> beforeMenu) { beforeMenu_ = std::move(beforeMenu); }

  void SetVisible(bool visible);
  bool IsVisible() const;
  void SetShowVazeruEnabled(bool enabled);
  void SetOptionChecked(LiveOption option, bool checked);
  void SetOptionEnabled(LiveOption option, bool enabled);

  QMenu* Menu() const { return menu_.get(); }
  // The entry of a command (the first separator for Separator).
  QAction* Action(app::TrayCommand command) const;
  // Handles one activation as the icon reports it.
  void Activated(QSystemTrayIcon::ActivationReason reason);

 private:
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon icon_;
  std::map<app::TrayCommand, QAction*> actions_;
  app::MainWindowModel* model_ = nullptr;
  std::function<void()> beforeMenu_;
};

}  // namespace vz::ui::qt
