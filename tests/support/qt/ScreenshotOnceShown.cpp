#include "support/qt/ScreenshotOnceShown.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/Shield.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtFrontEnd.h"

namespace vz::testsupport {

namespace {

constexpr int kPollMs = 100;
// Time for the window to be drawn after the list has been filled.
constexpr int kSettleMs = 800;

bool SaveScreen(const std::string& file) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return false;
  return screen->grabWindow(0).save(QString::fromStdString(file), "PNG");
}

}  // namespace

void ScreenshotOnceShown(app::Shield& shield, ui::qt::QtFrontEnd& frontEnd, const std::string& file) {
  ui::qt::QtMainWindowView& view = frontEnd.View();
  auto* poll = new QTimer(&view.Window());
  auto settle = std::make_shared<QElapsedTimer>();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, settle, &shield, &view, file] {
    if (!view.IsWindowShowing() || view.Window().isMinimized() || shield.Processes().Names().empty()) return;
    if (!settle->isValid()) settle->start();
    if (settle->elapsed() < kSettleMs) return;
    poll->stop();
    if (!SaveScreen(file)) std::fprintf(stderr, "could not write the screenshot %s\n", file.c_str());
    shield.ExitVazeru();
  });
  poll->start(kPollMs);
}

}  // namespace vz::testsupport
