#pragma once
// The desktop front end: the main window, the tray icon and menu, the alert
// window and message boxes on Qt Widgets. A QApplication must exist before it
// is created; its windows appear only once the shield asks for them.
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

#include "app/FrontEnd.h"
#include "app/ReachableMainWindow.h"
#include "platform/TerminationSignals.h"
#include "ui/DesktopBrowser.h"
#include "ui/qt/QtAlertView.h"
#include "ui/qt/DownloadWindow.h"
#include "ui/qt/QtDialogs.h"
#include "ui/qt/QtMainWindowView.h"
#include "ui/qt/QtPorts.h"

namespace vz::ui::qt {

class QtFrontEnd final : public app::FrontEnd {
 public:
  enum class TrayMode { Auto, Available, Unavailable };
  struct Options {
    Dialogs* dialogs = nullptr;  // default: message boxes
    Browser* browser = nullptr;  // default: the desktop's opener
    TrayMode tray = TrayMode::Auto;
    // SIGINT/SIGTERM end the loop as "Exit Vazeru" does, when given.
    platform::TerminationSignals* terminationSignals = nullptr;
    // Runs once the windows are bound to the shield (test builds of the program use it).
    std::function<void(app::Shield&, QtFrontEnd&)> onAttached;
  };

  QtFrontEnd();
  explicit QtFrontEnd(Options options);
  ~QtFrontEnd() override;

  ui::Ports Ports() override;
  void AttachShield(app::Shield& shield) override;
  int RunMessageLoop() override;
  void Terminate() override;
  void WatchActivation(platform::ActivationListener& listener, std::function<void()> onActivate) override;

  QtMainWindowView& View() { return view_; }
  QtAlertView& Alert() { return alert_; }
  QtDownloadView& Download() { return download_; }
  QtDispatcher& Dispatcher() { return dispatcher_; }
  bool TrayAvailable() const { return reachable_.TrayAvailable(); }

 private:
  Options options_;
  QtDialogs dialogs_;
  QtMainWindowView view_;
  app::ReachableMainWindow reachable_{view_};
  QtAlertView alert_;
  QtDownloadView download_;
  QtEventPump events_;
  QtDispatcher dispatcher_;
  QtTimerFactory timers_;
  DesktopBrowser browser_{timers_};
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
  bool terminateRequested_ = false;
};

}  // namespace vz::ui::qt
