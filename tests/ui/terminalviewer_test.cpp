// The file viewer of the terminal front end: with a display the desktop's
// opener gets the path; without one the user's editor runs on the terminal.
// And the real thing: a program run on a pseudo-terminal owns it while it runs.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "CapturedOutput.h"
#include "platform/TerminalProgram.h"
#include "support/TestSupport.h"
#include "ui/console/TerminalBrowser.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::ui::console {
namespace {

struct FakeMachine {
  bool display = false;
  bool terminal = true;
  bool runWorks = true;
  std::map<std::string, std::string> environment;
  std::vector<std::vector<std::string>> ranOnTerminal;
  std::vector<std::vector<std::string>> openers;

  TerminalBrowser::Machine Machine() {
    return TerminalBrowser::Machine{
        [this] { return display; }, [this] { return terminal; },
        [this](const char* name) { return environment[name]; },
        [this](const std::vector<std::string>& argv, std::string* error) {
          ranOnTerminal.push_back(argv);
          if (!runWorks) *error = argv[0] + ": No such file or directory";
          return runWorks;
        },
        [this](const std::vector<std::string>& argv, platform::LaunchError& error) {
          openers.push_back(argv);
          error.notFound = true;
          return std::unique_ptr<platform::WatchedProgram>();
        }};
  }
};

TEST(TerminalViewer, TheEditorOnTheTerminalWithoutADisplayElseTheDesktopsOpener) {
  CapturedOutput cap;
  scripted::ManualTimerFactory timers;
  FakeMachine machine;
  std::vector<std::string> reported;
  TerminalBrowser browser(cap.out, timers, machine.Machine());
  browser.SetFailureReport([&](const std::string& line) { reported.push_back(line); });

  // $VISUAL wins, its words split at blanks; the path is one more argument.
  machine.environment = {{"VISUAL", "vi  -R"}, {"EDITOR", "nano"}};
  browser.OpenFile("/app/Vazeru.log");
  machine.environment["VISUAL"] = " ";
  browser.OpenFile("/app/DW log; rm -rf ~");
  ASSERT_EQ(machine.ranOnTerminal.size(), 2u);
  EXPECT_EQ(machine.ranOnTerminal[0], (std::vector<std::string>{"vi", "-R", "/app/Vazeru.log"}));
  EXPECT_EQ(machine.ranOnTerminal[1], (std::vector<std::string>{"nano", "/app/DW log; rm -rf ~"}));
  EXPECT_TRUE(machine.openers.empty());
  EXPECT_NE(cap.Text().find("  file: /app/Vazeru.log"), std::string::npos);

  // An editor that cannot start is said.
  machine.runWorks = false;
  browser.OpenFile("/app/Vazeru.log");
  EXPECT_EQ(reported, std::vector<std::string>{"Could not show the file: nano: No such file or directory"});

  // No editor set, no terminal to run it on, or a display: the desktop's opener.
  machine.environment.clear();
  browser.OpenFile("/app/a.log");
  machine.environment["EDITOR"] = "nano";
  machine.terminal = false;
  browser.OpenFile("/app/b.log");
  machine.terminal = true;
  machine.display = true;
  browser.OpenFile("/app/c.log");
  EXPECT_EQ(machine.ranOnTerminal.size(), 3u);
  ASSERT_EQ(machine.openers.size(), 3u);
  EXPECT_EQ(machine.openers[0], (std::vector<std::string>{"xdg-open", "/app/a.log"}));
  EXPECT_EQ(machine.openers[2], (std::vector<std::string>{"xdg-open", "/app/c.log"}));
}

// In a child on a fresh pseudo-terminal: the program reads what is typed (it
// is the terminal's foreground), and afterwards the terminal is the caller's again.
TEST(TerminalViewer, AProgramOnTheTerminalOwnsItUntilItEnds) {
  testsupport::TempDir dir;
  int master = -1;
  pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string error;
    bool ran = platform::RunOnTerminal({"/bin/sh", "-c", "read line; echo \"$line\" > \"$0\"", dir.file("typed")}, &error);
    bool back = ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
    ::_exit(ran && back ? 0 : 1);
  }
  const char typed[] = "shown\n";
  ASSERT_EQ(::write(master, typed, sizeof typed - 1), static_cast<ssize_t>(sizeof typed - 1));
  int status = -1;
  bool ended = testsupport::WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 10000);
  if (!ended) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  ::close(master);
  ASSERT_TRUE(ended);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(testsupport::ReadFile(dir.file("typed")), "shown\n");

  EXPECT_EQ(platform::EditorCommandWords("  emacsclient\t-t  "), (std::vector<std::string>{"emacsclient", "-t"}));
  EXPECT_TRUE(platform::EditorCommandWords(" ").empty());
}

}  // namespace
}  // namespace vz::ui::console
