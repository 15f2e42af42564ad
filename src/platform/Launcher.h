#pragma once
// Contract: starting other programs. Always an argument vector, never a shell.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vz::platform {

// Starts argv[0] with its arguments in a new process group, with no terminal
// (stdio on /dev/null) and "/" as working folder. Does not wait. false on
// failure, with the system's reason in errorText when given.
bool LaunchHidden(const std::vector<std::string>& argv, std::string* errorText = nullptr);
// The same, keeping this process's stdio and working folder.
bool LaunchVisible(const std::vector<std::string>& argv);

// A program started so that how it ended can be asked later without waiting
// for it: the desktop's opener says "nothing here can open this" only by its
// exit code, long after it was started.
class WatchedProgram {
 public:
  virtual ~WatchedProgram() = default;
  // nullopt while it runs; once it has ended, its exit code (128 + the signal
  // number when a signal ended it; 0 when its end could not be learnt).
  virtual std::optional<int> ExitCode() = 0;
};

// Why a program did not start.
struct LaunchError {
  bool notFound = false;  // no such program (on the PATH)
  std::string text;       // the program's name and the system's reason
};

// Starts argv as LaunchHidden does; nullptr with the reason when it cannot be started.
std::unique_ptr<WatchedProgram> LaunchWatched(const std::vector<std::string>& argv, LaunchError& error);

// Programs started by a long-running process are never waited for: let the
// system reap them so that they leave no zombie behind. (Watched programs are
// reaped by their watch, whatever this says.)
void ReapChildrenAutomatically();

}  // namespace vz::platform
