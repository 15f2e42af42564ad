#pragma once
// Runs a program of build/bin with an argv (no shell: keys hold backslashes
// and blanks), optionally as another user through setpriv, and collects its
// exit status, standard output and standard error.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

extern char** environ;

namespace vz::toolstest {

struct ToolResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& prefix = {}) {
  testsupport::TempDir capture;
  std::vector<std::string> all = prefix;
  all.push_back(testsupport::ProgramPath(program));
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, capture.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, capture.file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  ToolResult result;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = testsupport::ReadFile(capture.file("out"));
  result.err = testsupport::ReadFile(capture.file("err"));
  return result;
}

}  // namespace vz::toolstest
