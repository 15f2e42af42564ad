#pragma once
// Where an installed program keeps its files. Installed under a prefix, the
// programs lie in <prefix>/bin and the packaged data in
// <prefix>/share/orvane-vazeru/; everything the shield writes goes to a
// per-user folder instead, so the installed tree is never written.
// Pure functions on paths: the caller looks at the file system.
#include <string>

namespace vz::platform {

inline constexpr const char* kDataFolderName = "orvane-vazeru";

// <prefix>/share/orvane-vazeru/ for a program file <prefix>/bin/NAME; "" when
// the program file does not lie in a folder named "bin".
std::string PackagedDataFolderBeside(const std::string& executablePath);

// $XDG_DATA_HOME/orvane-vazeru/ when XDG_DATA_HOME is absolute (a relative
// one is ignored, as the XDG rules say), else HOME/.local/share/orvane-vazeru/;
// "" when neither is an absolute folder.
std::string PerUserDataFolder(const std::string& xdgDataHome, const std::string& home);

// The running program's file from the link /proc keeps for it. A package
// upgrade replaces the file while the program runs, and the link then reads
// "PATH (deleted)": the program at PATH is the one to start again.
// existsAsGiven: whether linkText itself names a file.
std::string ProgramPathFromLink(const std::string& linkText, bool existsAsGiven);

}  // namespace vz::platform
