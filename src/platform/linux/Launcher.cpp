#include "platform/Launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace vz::platform {

namespace {

// 0, or the error number of a start that failed.
int Spawn(const std::vector<std::string>& argv, bool hidden) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&actions);
  // A new process group, so signals meant for the shield's terminal do not reach it.
  posix_spawnattr_setpgroup(&attr, 0);
  short flags = POSIX_SPAWN_SETPGROUP;
  // Children start with default signal handling whatever the shield blocks.
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  // ...and with default dispositions, even for signals the shield ignores.
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGCHLD, SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, sig);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  flags |= POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  posix_spawnattr_setflags(&attr, flags);
  if (hidden) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
  }
  pid_t pid = 0;
  int rc = argv[0].find('/') == std::string::npos
               ? posix_spawnp(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ)
               : posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  return rc;
}

}  // namespace

bool LaunchHidden(const std::vector<std::string>& argv, std::string* errorText) {
  int error = Spawn(argv, true);
  if (error != 0 && errorText) *errorText = (argv.empty() ? std::string() : argv[0]) + ": " + std::strerror(error);
  return error == 0;
}

bool LaunchVisible(const std::vector<std::string>& argv) { return Spawn(argv, false) == 0; }

void ReapChildrenAutomatically() { ::signal(SIGCHLD, SIG_IGN); }

}  // namespace vz::platform
