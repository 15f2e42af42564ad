#include "ui/qt/DevelopmentHooks.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Shield.h"
#include "ui/qt/QtMainWindowView.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/TrayIcon.h"

namespace vz::ui::qt {

namespace {

constexpr int kPollMs = 100;
// Time for the window to be drawn after the list has been filled.
constexpr int kSettleMs = 800;

bool Screenshot(const std::string& file) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return false;
  return screen->grabWindow(0).save(QString::fromStdString(file), "PNG");
}

}  // namespace

void InstallDevelopmentHooks(app::Shield& shield, QtMainWindowView& view) {
  const char* show = std::getenv("VAZERU_SHOW_AT_START");
  const char* screenshot = std::getenv("VAZERU_SCREENSHOT");
  bool showAtStart = (show && std::string(show) == "1") || (screenshot && *screenshot);
  if (!showAtStart) return;
  std::string file = screenshot ? screenshot : "";

  auto* poll = new QTimer(&view.Window());
  auto settle = std::make_shared<QElapsedTimer>();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, settle, &shield, &view, file] {
    QAction* showEntry = view.Tray().Action(app::TrayCommand::ShowVazeru);
    if (!view.IsWindowShowing() || view.Window().isMinimized()) {
      // As the user would: "Show Vazeru" from the tray once it is enabled.
      if (showEntry->isEnabled()) showEntry->trigger();
      return;
    }
    if (file.empty()) {
      poll->stop();
      return;
    }
    if (shield.Processes().Names().empty()) return;
    if (!settle->isValid()) settle->start();
    if (settle->elapsed() < kSettleMs) return;
    poll->stop();
    if (!Screenshot(file)) std::fprintf(stderr, "qvshield: could not write the screenshot %s\n", file.c_str());
    shield.ExitVazeru();
  });
  poll->start(kPollMs);
}

}  // namespace vz::ui::qt
