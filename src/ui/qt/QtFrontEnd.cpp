#include "ui/qt/QtFrontEnd.h"

#include <QApplication>
#include <QSystemTrayIcon>

#include "app/Shield.h"
#include "platform/SingleInstance.h"
#include "platform/linux/WaitableDescriptor.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/ShieldIcon.h"
#include "ui/qt/ShowAtStart.h"
#include "ui/qt/StartupPage.h"
#include "ui/qt/TrayIcon.h"

namespace vz::ui::qt {

QtFrontEnd::QtFrontEnd() : QtFrontEnd(Options{}) {}

QtFrontEnd::QtFrontEnd(Options options) : options_(options) {
  // The shield lives on in the tray when its last window closes.
  QApplication::setQuitOnLastWindowClosed(false);
  // Every window and box of the program carries its icon; the desktop pairs
  // the windows with the menu entry (and its icon) by this name.
  QApplication::setWindowIcon(ShieldIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral(VAZERU_APP_ID));
  bool tray = options_.tray == TrayMode::Available ||
              (options_.tray == TrayMode::Auto && QSystemTrayIcon::isSystemTrayAvailable());
  reachable_.SetTrayAvailable(tray);
  if (options_.terminationSignals && options_.terminationSignals->WaitHandle().IsValid()) {
    auto notifier = std::make_unique<QSocketNotifier>(platform::DescriptorOf(options_.terminationSignals->WaitHandle()),
                                                      QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
      if (options_.terminationSignals->Drain()) Terminate();
    });
    notifiers_.push_back(std::move(notifier));
  }
}

QtFrontEnd::~QtFrontEnd() {
  dispatcher_.Shutdown();
  // The shield may be gone already; nothing may reach it from here on.
  if (view_.HasWindow()) view_.Window().Unbind();
  if (view_.HasTray()) view_.Tray().Bind(nullptr);
  download_.Bind(nullptr);
}

ui::Ports QtFrontEnd::Ports() {
  Dialogs* dialogs = options_.dialogs ? options_.dialogs : &dialogs_;
  Browser* browser = options_.browser ? options_.browser : &browser_;
  return ui::Ports{dialogs, &reachable_, &alert_, &events_, &dispatcher_, browser, &timers_, &download_};
}

void QtFrontEnd::AttachShield(app::Shield& shield) {
  view_.Tray().Bind(&shield.MainWindow());
  view_.Window().Bind(shield.MainWindow(), shield.Processes(), shield.Details(), shield.Statistics());
  view_.Window().startupPage->Bind(&shield.Startup(), &shield.StartupScan());
  download_.Bind(&shield.Downloader());
  download_.SetMainWindow(&view_.Window());
  if (!reachable_.TrayAvailable()) shield.MainWindow().Tray().ReportNoSystemTray();
  ShowWhenStartedIfAsked(view_);
  if (options_.onAttached) options_.onAttached(shield, *this);
}

int QtFrontEnd::RunMessageLoop() {
  int code = terminateRequested_ ? 0 : QApplication::exec();
  dispatcher_.Shutdown();
  view_.SetTrayIconVisible(false);
  return code;
}

void QtFrontEnd::Terminate() {
  terminateRequested_ = true;
  dispatcher_.Shutdown();
  QCoreApplication::exit(0);
}

void QtFrontEnd::WatchActivation(platform::ActivationListener& listener, std::function<void()> onActivate) {
  if (!listener.WaitHandle().IsValid()) return;
  auto notifier = std::make_unique<QSocketNotifier>(platform::DescriptorOf(listener.WaitHandle()), QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, [&listener, onActivate] {
    int count = listener.AcceptPending();
    for (int i = 0; i < count; ++i) onActivate();
  });
  notifiers_.push_back(std::move(notifier));
}

}  // namespace vz::ui::qt
