#include "ui/qt/ShowAtStart.h"

#include <QAction>
#include <QTimer>
#include <cstdlib>
#include <string>

#include "ui/qt/MainWindow.h"
#include "ui/qt/QtMainWindowView.h"
#include "ui/qt/TrayIcon.h"

namespace vz::ui::qt {

namespace {
constexpr int kPollMs = 100;
}  // namespace

void ShowWhenStartedIfAsked(QtMainWindowView& view) {
  const char* show = std::getenv("VAZERU_SHOW_AT_START");
  if (!show || std::string(show) != "1") return;
  auto* poll = new QTimer(&view.Window());
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &view] {
    if (view.IsWindowShowing() && !view.Window().isMinimized()) {
      poll->stop();
      return;
    }
    // As the user would: "Show Vazeru" from the tray once it is enabled
    // (again while the start-up phase still hides or minimises the window).
    QAction* showEntry = view.Tray().Action(app::TrayCommand::ShowVazeru);
    if (showEntry->isEnabled()) showEntry->trigger();
  });
  poll->start(kPollMs);
}

}  // namespace vz::ui::qt
