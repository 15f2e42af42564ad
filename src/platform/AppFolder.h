#pragma once
// Contract: the program's folder, under which every data file, log and companion
// program is addressed. Always ends with the path separator.
#include <string>

namespace vz::platform {

// The folder of the running program file (or the override), with a trailing separator.
std::string AppFolder();
// Replaces the folder for the rest of the run (--app-folder); adds the separator.
void SetAppFolderOverride(const std::string& folder);
// Full path of the running program file.
std::string OwnExecutablePath();

}  // namespace vz::platform
