// Starting programs: a watched program tells how it ended even while the
// shield lets the system reap its children, a program that cannot start says
// why at once, and a watch dropped early leaves no zombie behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

// The shield's own setting for the whole test: children reaped by the system.
class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = ::signal(SIGCHLD, SIG_IGN);
    const char* path = std::getenv("PATH");
    path_ = path ? path : "";
  }
  void TearDown() override {
    ::signal(SIGCHLD, previous_);
    ::setenv("PATH", path_.c_str(), 1);
  }

  // The exit code once the program has ended (-1 if it did not within 5 s).
  static int WaitForEnd(WatchedProgram& program) {
    std::optional<int> code;
    testsupport::WaitUntil([&] { return (code = program.ExitCode()).has_value(); }, 5000);
    return code.value_or(-1);
  }

  void WriteScript(const std::string& path, const std::string& body) {
    testsupport::WriteFile(path, "#!/bin/sh\n" + body);
    ASSERT_EQ(::chmod(path.c_str(), 0755), 0);
  }

  testsupport::TempDir dir;

 private:
  sighandler_t previous_ = SIG_DFL;
  std::string path_;
};

TEST_F(LauncherTest, AWatchedProgramTellsItsExitCodeFoundOnThePathAndStartsHidden) {
  LaunchError error;
  auto failing = LaunchWatched({"/bin/sh", "-c", "exit 3"}, error);
  ASSERT_TRUE(failing) << error.text;
  EXPECT_EQ(WaitForEnd(*failing), 3);
  EXPECT_EQ(failing->ExitCode(), 3) << "asked again, the same answer";

  auto killed = LaunchWatched({"/bin/sh", "-c", "kill -9 $$"}, error);
  ASSERT_TRUE(killed) << error.text;
  EXPECT_EQ(WaitForEnd(*killed), 128 + SIGKILL);

  // Found through PATH, started in "/" with its output going nowhere.
  WriteScript(dir.file("vz-opener"), "pwd > \"$1\"\necho noise\nexit 0\n");
  ::setenv("PATH", (dir.path() + ":/usr/bin:/bin").c_str(), 1);
  auto opener = LaunchWatched({"vz-opener", dir.file("where")}, error);
  ASSERT_TRUE(opener) << error.text;
  EXPECT_EQ(WaitForEnd(*opener), 0);
  EXPECT_EQ(testsupport::ReadFile(dir.file("where")), "/\n");
}

TEST_F(LauncherTest, AProgramThatCannotStartSaysWhyAtOnce) {
  ::setenv("PATH", dir.path().c_str(), 1);
  LaunchError error;
  EXPECT_EQ(LaunchWatched({"vz-no-such-opener", "x"}, error), nullptr);
  EXPECT_TRUE(error.notFound);
  EXPECT_EQ(error.text, "vz-no-such-opener: No such file or directory");
  // Root may run anything with an execute bit; a file without one no one may.
  testsupport::WriteFile(dir.file("not-runnable"), "#!/bin/sh\n");
  EXPECT_EQ(LaunchWatched({dir.file("not-runnable")}, error), nullptr);
  EXPECT_FALSE(error.notFound);
  EXPECT_EQ(error.text, dir.file("not-runnable") + ": Permission denied");
  std::string text;
  EXPECT_FALSE(LaunchHidden({dir.file("vz-missing-console")}, &text));
  EXPECT_EQ(text, dir.file("vz-missing-console") + ": No such file or directory");
}

// The watcher runs as long as the program; it keeps nothing of the shield's
// open meanwhile (a locked hive, the activation socket), and when its watch
// is dropped it is reaped all the same.
TEST_F(LauncherTest, TheWatcherHoldsNothingOfTheShieldAndLeavesNoZombie) {
  int shieldsFile = ::open(dir.file("locked").c_str(), O_CREAT | O_RDWR, 0600);
  ASSERT_GE(shieldsFile, 0);
  LaunchError error;
  auto sleeper = LaunchWatched({"/bin/sh", "-c", "echo $$ > \"$0\"; exec sleep 30", dir.file("pid")}, error);
  ASSERT_TRUE(sleeper) << error.text;
  std::string pid;
  ASSERT_TRUE(testsupport::WaitUntil(
      [&] {
        pid = testsupport::ReadFile(dir.file("pid"));
        return pid.size() > 1 && pid.back() == '\n';
      },
      5000));
  pid.pop_back();
  EXPECT_FALSE(sleeper->ExitCode().has_value()) << "still running";
  // The program's parent is the watcher, a child of this process.
  std::string stat = testsupport::ReadFile("/proc/" + pid + "/stat");
  std::string watcher = stat.substr(stat.rfind(')') + 4);
  watcher = watcher.substr(0, watcher.find(' '));
  ASSERT_NE(watcher, std::to_string(::getpid()));
  std::vector<std::string> open;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/" + watcher + "/fd"))
    if (std::stoi(entry.path().filename().string()) > 2) open.push_back(entry.path().filename().string());
  EXPECT_TRUE(open.empty()) << "the watcher holds descriptor " << open.front();
  ::close(shieldsFile);
  sleeper.reset();
  ASSERT_EQ(::kill(std::stoi(pid), SIGTERM), 0);
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] { return !FileExists("/proc/" + pid + "/stat") && !FileExists("/proc/" + watcher + "/stat"); }, 5000))
      << "the program or its watcher was left a zombie";
}

}  // namespace
}  // namespace vz::platform
