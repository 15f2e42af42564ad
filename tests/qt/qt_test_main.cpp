// The windows are tested on the offscreen platform: no display is needed and
// nothing appears on the screen of whoever runs the tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

namespace {

// The offscreen platform says what it cannot do (raise a window, host a tray
// icon); that is expected here and would only bury real warnings.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
  for (const char* expected : {"This plugin does not support", "systemTrayWindowChanged", "XDG_RUNTIME_DIR"})
    if (message.contains(expected)) return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietOffscreenNotes);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
