// The small ports on Qt: message boxes with their captions, texts and
// buttons, the dispatcher a watcher thread uses, and the timers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "support/TestSupport.h"
#include "ui/qt/QtDialogs.h"
#include "ui/qt/QtPorts.h"
#include "ui/qt/ShieldIcon.h"

namespace vz::ui::qt {
namespace {

// Answers the next message box by pressing the button with the given text.
void PressWhenShown(const QString& button, QString* caption, QString* text, QStringList* buttons) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
      PressWhenShown(button, caption, text, buttons);
      return;
    }
    *caption = box->windowTitle();
    *text = box->text();
    for (QAbstractButton* b : box->buttons()) buttons->append(b->text().remove('&'));
    for (QAbstractButton* b : box->buttons())
      if (b->text().remove('&') == button) b->click();
  });
}

TEST(QtPorts, MessageBoxesShowCaptionTextAndButtonsAndReturnTheAnswer) {
  EXPECT_EQ(DialogText("one\rtwo\r\nthree\n"), "one\ntwo\nthree\n");
  QtDialogs dialogs;
  QString caption, text;
  QStringList buttons;
  PressWhenShown("No", &caption, &text, &buttons);
  DialogAnswer answer = dialogs.Ask("Orvane shield", "Sure you want to stop this Process ?\rIt may be needed",
                                    DialogButtons::YesNo);
  EXPECT_EQ(answer, DialogAnswer::No);
  EXPECT_EQ(caption, "Orvane shield");
  EXPECT_EQ(text, "Sure you want to stop this Process ?\nIt may be needed");
  EXPECT_EQ(buttons.size(), 2);
  EXPECT_TRUE(buttons.contains("Yes"));

  buttons.clear();
  PressWhenShown("OK", &caption, &text, &buttons);
  EXPECT_EQ(dialogs.Ask("Remove Startup", "Remove this startup program : x", DialogButtons::OkCancel),
            DialogAnswer::Ok);
  EXPECT_TRUE(buttons.contains("Cancel"));
  buttons.clear();
  PressWhenShown("Cancel", &caption, &text, &buttons);
  EXPECT_EQ(dialogs.Ask("c", "t", DialogButtons::YesNoCancel), DialogAnswer::Cancel);
  EXPECT_EQ(buttons.size(), 3);
}

// A box that says little ("File Deleted file") is narrow; the window manager
// still draws the caption beside its own icon and buttons.
TEST(QtPorts, EveryBoxCarriesTheProgramsIconAndItsWholeCaption) {
  QtDialogs dialogs;
  QImage icon;
  int width = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    icon = box->windowIcon().pixmap(32).toImage();
    width = box->width();
    box->button(QMessageBox::Ok)->click();
  });
  dialogs.Inform("Orvane shield", "File Deleted file");
  EXPECT_FALSE(icon.isNull());
  EXPECT_EQ(icon, ShieldIcon().pixmap(32).toImage());
  QFont title = QApplication::font("QMdiSubWindowTitleBar");
  title.setBold(true);
  // The caption plus the title bar's icon and three buttons.
  EXPECT_GE(width, QFontMetrics(title).horizontalAdvance("Orvane shield") + 4 * 30);
}

// Shuts the dispatcher down the moment a request of another thread reaches
// the UI thread, before the request runs: the caller is then surely waiting.
class ShutDownOnArrival final : public QObject {
 public:
  explicit ShutDownOnArrival(QtDispatcher& dispatcher) : dispatcher_(dispatcher) {}
  bool eventFilter(QObject* receiver, QEvent* event) override {
    // The dispatcher's receiver is a plain QObject; queued calls of Qt's own go elsewhere.
    if (!arrived && event->type() == QEvent::MetaCall && receiver->metaObject() == &QObject::staticMetaObject) {
      arrived = true;
      dispatcher_.Shutdown();
    }
    return false;
  }
  bool arrived = false;

 private:
  QtDispatcher& dispatcher_;
};

TEST(QtPorts, DispatcherRunsOnTheUiThreadAndLetsGoAtShutdown) {
  QtDispatcher dispatcher;
  // On the UI thread it runs at once.
  bool ran = false;
  EXPECT_TRUE(dispatcher.RunAndWait([&] { ran = true; }));
  EXPECT_TRUE(ran);

  std::atomic<bool> onUiThread{false};
  std::atomic<int> result{-1};
  std::thread watcher([&] {
    result = dispatcher.RunAndWait([&] { onUiThread = QThread::currentThread() == qApp->thread(); }) ? 1 : 0;
  });
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        QCoreApplication::processEvents();
        return result != -1;
      },
      5000));
  watcher.join();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(onUiThread);

  // A call already waiting when the UI thread shuts down returns false and
  // never runs, though its request reaches the UI thread after the shutdown.
  ShutDownOnArrival shutDown(dispatcher);
  qApp->installEventFilter(&shutDown);
  std::atomic<bool> lateRan{false};
  result = -1;
  std::thread late([&] { result = dispatcher.RunAndWait([&] { lateRan = true; }) ? 1 : 0; });
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        QCoreApplication::processEvents();
        return result != -1;
      },
      5000));
  late.join();
  qApp->removeEventFilter(&shutDown);
  EXPECT_TRUE(shutDown.arrived);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(lateRan);
  EXPECT_FALSE(dispatcher.RunAndWait([] {}));
}

TEST(QtPorts, TimerDoesNotFireAgainInsideItsOwnHandler) {
  QtTimerFactory factory;
  int calls = 0, nested = 0;
  bool inside = false;
  std::unique_ptr<Timer> timer;
  timer = factory.CreateTimer(5, [&] {
    ++calls;
    if (inside) ++nested;
    inside = true;
    // The handler lets events run until the timer has fallen due a few
    // times over, as the long steps do.
    QElapsedTimer running;
    running.start();
    while (!running.hasExpired(4 * timer->IntervalMs())) QCoreApplication::processEvents();
    inside = false;
  });
  EXPECT_FALSE(timer->IsRunning());
  EXPECT_EQ(timer->IntervalMs(), 5);
  timer->Start();
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        QCoreApplication::processEvents();
        return calls >= 3;
      },
      5000));
  timer->Stop();
  EXPECT_EQ(nested, 0);
  EXPECT_FALSE(timer->IsRunning());
}

}  // namespace
}  // namespace vz::ui::qt
