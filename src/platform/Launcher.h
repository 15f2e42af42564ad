#pragma once
// Contract: starting other programs. Always an argument vector, never a shell.
#include <string>
#include <vector>

namespace vz::platform {

// Starts argv[0] with its arguments in a new process group, with no terminal
// (stdio on /dev/null) and "/" as working folder. Does not wait. false on failure.
bool LaunchHidden(const std::vector<std::string>& argv);
// The same, keeping this process's stdio and working folder.
bool LaunchVisible(const std::vector<std::string>& argv);
// Opens a file or folder with the desktop's default program (xdg-open PATH).
bool OpenWithDesktop(const std::string& path);

// Programs started by a long-running process are never waited for: let the
// system reap them so that they leave no zombie behind.
void ReapChildrenAutomatically();

}  // namespace vz::platform
