#pragma once
// Contract: the program's folder, under which every data file, log and companion
// program is addressed. Always ends with the path separator.
//
// A program whose data lies beside it (a development build in build/bin) uses
// its own folder. An installed program (<prefix>/bin, with its packaged data in
// <prefix>/share/orvane-vazeru/) uses a per-user folder instead,
// $XDG_DATA_HOME/orvane-vazeru/ (by default ~/.local/share/orvane-vazeru/),
// created when missing; the override wins over both.
#include <string>

namespace vz::platform {

// The folder of the running program file, the per-user folder of an installed
// program, or the override; with a trailing separator.
std::string AppFolder();
// Replaces the folder for the rest of the run (--app-folder); adds the separator.
void SetAppFolderOverride(const std::string& folder);
// Full path of the running program file.
std::string OwnExecutablePath();

// The packaged data an installed program fills its per-user folder from;
// "" when the data lies beside the program or the folder is overridden.
std::string PackagedDataFolder();
// Where the companion programs (the admin console) lie: the folder of the
// running program file, or the override.
std::string CompanionProgramFolder();

}  // namespace vz::platform
