#include "platform/TerminalProgram.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace vz::platform {

namespace {

// Hands the terminal to a process group; from the background that needs SIGTTOU held off.
void GiveTerminalTo(int tty, pid_t group) {
  sigset_t ttou, old;
  sigemptyset(&ttou);
  sigaddset(&ttou, SIGTTOU);
  pthread_sigmask(SIG_BLOCK, &ttou, &old);
  ::tcsetpgrp(tty, group);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace

bool HasTerminal() { return ::isatty(STDIN_FILENO) == 1; }

bool RunOnTerminal(const std::vector<std::string>& argv, std::string* errorText) {
  auto fail = [&](const std::string& why) {
    if (errorText) *errorText = why;
    return false;
  };
  if (argv.empty() || argv[0].empty()) return fail("no program given");
  const int tty = STDIN_FILENO;
  pid_t ownGroup = ::tcgetpgrp(tty);
  if (ownGroup < 0) return fail("standard input is not a terminal");

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&actions);
  // Its own process group, made the terminal's foreground before it runs, so
  // that what is typed (Ctrl-C too) reaches it and not the shield.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawn_file_actions_addtcsetpgrp_np(&actions, tty);
  sigset_t none, defaults;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  sigemptyset(&defaults);
  for (int sig : {SIGCHLD, SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU})
    sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  int rc = argv[0].find('/') == std::string::npos
               ? posix_spawnp(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ)
               : posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    GiveTerminalTo(tty, ownGroup);
    return fail(argv[0] + ": " + std::strerror(rc));
  }

  for (;;) {
    int status = 0;
    pid_t got = ::waitpid(pid, &status, WUNTRACED);
    if (got < 0 && errno == EINTR) continue;
    // Ended (ECHILD: children are reaped by the system, so it has ended too).
    if (got < 0 || !WIFSTOPPED(status)) break;
    GiveTerminalTo(tty, pid);
    ::kill(-pid, SIGCONT);
  }
  GiveTerminalTo(tty, ownGroup);
  return true;
}

}  // namespace vz::platform
