// The program itself under Xvfb: qvshield (its test build, which can take a
// screenshot) starts on a copy of the sample data with its windows, shows the
// main window once the start-up phase allows it, writes a screenshot and
// exits through "Exit Vazeru". The picture must show a window, not an empty
// screen. The shipped qvshield writes no screenshot whatever it is told.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <filesystem>
#include <random>
#include <set>

#include "platform/FileSystem.h"
#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

namespace fs = std::filesystem;

TEST(ScreenshotSmoke, MainWindowUnderXvfbWithTheSampleData) {
  testsupport::TempDir app, home;
  for (const char* file : {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "MostCProc.txt", "Procupd.txt"})
    fs::copy_file(testsupport::ProgramPath(file), app.file(file));
  const std::string shot = VAZERU_SCREENSHOT_FILE;
  fs::create_directories(fs::path(shot).parent_path());
  fs::remove(shot);

  std::string instance = "vazeru-smoke-" + std::to_string(std::random_device{}());
  std::vector<std::string> env{"VAZERU_REGISTRY_DIR=" + home.file("registry"),
                               "XDG_CONFIG_HOME=" + home.file("config"),
                               "XDG_RUNTIME_DIR=" + home.path(),
                               "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart"),
                               "VAZERU_INSTANCE_NAME=" + instance,
                               "VAZERU_SHOW_AT_START=1",
                               "VAZERU_SCREENSHOT=" + shot};
  std::vector<std::string> argv{VAZERU_XVFB_RUN, "-a", "-s", "-screen 0 1024x768x24",
                                testsupport::TestHelperPath("vz-test-qvshield-screenshot"), "--no-journal", "--app-folder",
                                app.path()};
  testsupport::ProgramRun run(argv, env, home.file("output.txt"));
  int code = -1;
  bool ended = run.WaitForExit(90000, &code);
  platform::RemoveInstanceRegion(instance);
  ASSERT_TRUE(ended) << run.Output();
  EXPECT_EQ(code, 0) << run.Output();

  QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull()) << "no screenshot at " << shot << "\n" << run.Output();
  EXPECT_EQ(image.width(), 1024);
  // A blank screen has one colour; the window has text, lists and frames.
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  EXPECT_GT(colours.size(), 20u);
  // The shield ran to its end: the log of this run was saved.
  std::string log = testsupport::ReadFile(app.file("Vazeru.log"));
  EXPECT_NE(log.find("Known Spyware : "), std::string::npos) << log;
}

// Writing the screen to a file named by the environment is the test build's
// alone: the shipped program does not know the variable.
TEST(ScreenshotSmoke, TheShippedProgramHasNoScreenshotHook) {
  std::string shipped = testsupport::ReadFile(testsupport::ProgramPath("qvshield"));
  std::string testBuild = testsupport::ReadFile(testsupport::TestHelperPath("vz-test-qvshield-screenshot"));
  ASSERT_FALSE(shipped.empty());
  EXPECT_EQ(shipped.find("VAZERU_SCREENSHOT"), std::string::npos);
  EXPECT_NE(testBuild.find("VAZERU_SCREENSHOT"), std::string::npos);
  EXPECT_NE(shipped.find("VAZERU_SHOW_AT_START"), std::string::npos);
}

}  // namespace
}  // namespace vz
