#pragma once
// The startup entries: every value of the Run key of the machine and then of
// the current user, as rows of the startup list (name, command as stored,
// hive tag), and the fingerprint of the set: the value names, each followed
// by CR LF, machine first. Only names take part, so a changed command under
// an unchanged name leaves the fingerprint as it was.
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "ui/MainWindowView.h"

namespace vz::startup {

inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN";
inline constexpr const char* kMachineTag = "[HKLM]";
inline constexpr const char* kUserTag = "[HKCU]";

struct StartupEntries {
  std::vector<ui::StartupRow> rows;
  std::string fingerprint;
};

// Reads both Run keys, opened without creating them. A key that cannot be
// opened contributes nothing; a value that is not text is listed with an
// empty command.
StartupEntries EnumerateStartupEntries(platform::RegistryStore& registry);

// The hive a row's tag names: "[HKCU]" in any case is the current user's,
// every other tag (an empty one too) the machine's.
bool TagMeansCurrentUser(const std::string& hiveTag);

}  // namespace vz::startup
