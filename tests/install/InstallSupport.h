#pragma once
// What the install tests share: running the tools of the machine, installing
// the build into a folder, and the files an installation must hold.
#include <map>
#include <string>
#include <vector>

namespace vz::installtest {

struct CommandResult {
  int exitCode = -1;   // -signal when killed, -1 when it did not end in time
  std::string output;  // standard output and error together
};

// Runs a program found on PATH (through env), with NAME=VALUE settings first.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& settings = {},
                         int timeoutMs = 120000);
bool ToolAvailable(const std::string& name);

// Installs the build under prefix inside destdir (make install's way); the output of the install.
CommandResult InstallBuild(const std::string& destdir, const std::string& prefix);

// The files below a prefix that an installation holds, relative to it: the
// programs built in build/bin with their manual pages, the packaged data, the
// menu entry, icons, metadata and the user service.
std::vector<std::string> ExpectedInstalledFiles();
// The programs of build/bin (every executable there is shipped).
std::vector<std::string> BuiltPrograms();

// Every entry below root with its type, size, mode and modification time: two
// equal snapshots mean nothing was written.
std::map<std::string, std::string> SnapshotTree(const std::string& root);

bool IsRoot();

}  // namespace vz::installtest
