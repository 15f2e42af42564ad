// Opening things for the user: only web addresses reach a browser, only full
// paths reach the file manager, and whatever the desktop's opener cannot open
// is reported, at once or when the opener gives up.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "ui/DesktopBrowser.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::ui {
namespace {

TEST(Browser, OnlyWebAddressesAndFullPathsAreOpened) {
  scripted::RecordingBrowser browser;
  std::vector<std::string> reported;
  browser.SetFailureReport([&](const std::string& line) { reported.push_back(line); });

  browser.Open("http://example.com/info");
  browser.Open("HTTPS://Example.com/a?b=c");
  browser.Open("  https://example.com/padded\t");
  EXPECT_EQ(browser.opened, (std::vector<std::string>{"http://example.com/info", "HTTPS://Example.com/a?b=c",
                                                      "https://example.com/padded"}));
  EXPECT_TRUE(reported.empty());

  // From a data file: a local file, a script, a program's own scheme, a
  // command line and an address cut short are all refused, each said once.
  for (const char* link : {"file:///etc/shadow", "javascript:alert(1)", "steam://run/1", "--help", "http://",
                           "http:///etc/passwd", "http://a b", "http://host/\nsecond line", "ftp://example.com/"})
    browser.Open(link);
  EXPECT_EQ(browser.opened.size(), 3u);
  ASSERT_EQ(reported.size(), 9u);
  EXPECT_EQ(reported[0], "Refused to open a link that is not a web address: file:///etc/shadow");
  EXPECT_EQ(reported[7], "Refused to open a link that is not a web address: http://host/?second line")
      << "no line break reaches the log";

  browser.OpenFolder("/opt/tools/");
  browser.OpenFolder("-x");
  browser.OpenFile("/var/log/Vazeru.log");
  browser.OpenFile("relative/Vazeru.log");
  EXPECT_EQ(browser.foldersOpened, std::vector<std::string>{"/opt/tools/"});
  EXPECT_EQ(browser.filesOpened, std::vector<std::string>{"/var/log/Vazeru.log"});
  ASSERT_EQ(reported.size(), 11u);
  EXPECT_EQ(reported[9], "Refused to open a folder that is not a full path: -x");
  // A long refused text is cut.
  browser.Open("file://" + std::string(500, 'a'));
  EXPECT_LT(reported.back().size(), 200u);
}

// An opener under the test's control: how each start goes and how it ends.
class ScriptedOpener final : public platform::WatchedProgram {
 public:
  explicit ScriptedOpener(std::optional<int>* exit) : exit_(exit) {}
  std::optional<int> ExitCode() override { return *exit_; }

 private:
  std::optional<int>* exit_;
};

class DesktopBrowserTest : public ::testing::Test {
 protected:
  DesktopBrowserTest() {
    browser.SetFailureReport([this](const std::string& line) { reported.push_back(line); });
  }

  // The next start fails with this error, or runs until exits[target] is set.
  std::deque<platform::LaunchError> failures;
  std::map<std::string, std::optional<int>> exits;
  std::vector<std::vector<std::string>> started;
  scripted::ManualTimerFactory timers;
  DesktopBrowser browser{timers, [this](const std::vector<std::string>& argv, platform::LaunchError& error)
                                     -> std::unique_ptr<platform::WatchedProgram> {
                           started.push_back(argv);
                           if (!failures.empty()) {
                             error = failures.front();
                             failures.pop_front();
                             return nullptr;
                           }
                           return std::make_unique<ScriptedOpener>(&exits[argv[1]]);
                         }};
  scripted::ManualTimer& timer() { return *timers.WithInterval(kOpenerCheckMs); }
  std::vector<std::string> reported;
};

TEST_F(DesktopBrowserTest, NoOpenerAtAllIsReportedAtOnce) {
  failures.push_back({true, "xdg-open: No such file or directory"});
  failures.push_back({false, "xdg-open: Permission denied"});
  browser.Open("https://example.com/forum/");
  browser.OpenFolder("/usr/bin/");
  EXPECT_EQ(started[0], (std::vector<std::string>{"xdg-open", "https://example.com/forum/"}));
  EXPECT_EQ(reported, (std::vector<std::string>{"Could not open the web page: no browser found",
                                                "Could not open the folder: xdg-open: Permission denied"}));
  EXPECT_FALSE(timer().IsRunning()) << "nothing to watch";
}

TEST_F(DesktopBrowserTest, AnOpenerThatGivesUpIsReportedWhenItEnds) {
  browser.Open("https://example.com/a");
  browser.OpenFolder("/opt/a/");
  browser.OpenFile("/opt/a/Vazeru.log");
  browser.OpenFile("/opt/b/Vazeru.log");
  ASSERT_TRUE(timer().IsRunning());
  timer().Fire();
  EXPECT_TRUE(reported.empty()) << "all still running";
  exits["https://example.com/a"] = 3;  // nothing to open a web page with
  exits["/opt/a/"] = 3;
  exits["/opt/a/Vazeru.log"] = 4;  // the viewer failed
  exits["/opt/b/Vazeru.log"] = 0;  // shown
  timer().Fire();
  EXPECT_EQ(reported, (std::vector<std::string>{"Could not open the web page: no browser found",
                                                "Could not open the folder: no file manager found",
                                                "Could not show the file: xdg-open ended with exit code 4"}));
  EXPECT_EQ(browser.RunningOpeners(), 0u);
  EXPECT_FALSE(timer().IsRunning()) << "no opener left to watch";
}

TEST_F(DesktopBrowserTest, AnOpenerThatKeepsRunningHasStartedSomethingAndIsLeftAlone) {
  browser.Open("https://example.com/long");
  for (int i = 0; i < kOpenerChecks - 1; ++i) timer().Fire();
  EXPECT_EQ(browser.RunningOpeners(), 1u);
  timer().Fire();
  EXPECT_EQ(browser.RunningOpeners(), 0u);
  EXPECT_FALSE(timer().IsRunning());
  // Its late end says nothing any more.
  exits["https://example.com/long"] = 3;
  timer().Fire();
  EXPECT_TRUE(reported.empty());
}

}  // namespace
}  // namespace vz::ui
