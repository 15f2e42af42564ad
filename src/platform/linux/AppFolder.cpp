#include "platform/AppFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>

#include "platform/FileSystem.h"
#include "platform/InstalledLayout.h"

namespace vz::platform {

namespace {

std::mutex overrideMutex;
std::string overrideFolder;

std::string Overridden() {
  std::lock_guard<std::mutex> lock(overrideMutex);
  return overrideFolder;
}

// The archives unpacked at every start: where they lie beside the program, it
// is a development build or an unpacked copy that keeps its data with it.
bool DataLiesIn(const std::string& folder) {
  for (const char* name : {"Proc1.pck", "Proc2.pck", "Proc4.pck"})
    if (FileExists(folder + name)) return true;
  return false;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return std::string();
}

// Creates the folder and the missing ones above it, private to the user.
void CreateFolders(const std::string& folder) {
  std::string path;
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    path = folder.substr(0, i);
    if (!FolderExists(path)) ::mkdir(path.c_str(), 0700);
  }
}

struct Locations {
  std::string appFolder;
  std::string packagedData;  // "" unless installed
};

Locations ResolveLocations() {
  const std::string executable = OwnExecutablePath();
  const std::string own = FolderPart(executable);
  const std::string packaged = PackagedDataFolderBeside(executable);
  if (packaged.empty() || DataLiesIn(own) || !FolderExists(packaged)) return {own, ""};
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  std::string perUser = PerUserDataFolder(dataHome ? dataHome : "", HomeFolder());
  // Without a home there is nowhere else to write: the program's own folder,
  // as before, where writes fail and are reported like any other.
  if (perUser.empty()) return {own, ""};
  CreateFolders(perUser);
  return {perUser, packaged};
}

// Resolved once: the program file does not move, and every part of the run
// must address the same folder.
const Locations& ResolvedLocations() {
  static const Locations locations = ResolveLocations();
  return locations;
}

}  // namespace

std::string OwnExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  std::string link(buffer, static_cast<size_t>(n));
  return ProgramPathFromLink(link, FileExists(link));
}

std::string AppFolder() {
  std::string overridden = Overridden();
  if (!overridden.empty()) return overridden;
  return ResolvedLocations().appFolder;
}

void SetAppFolderOverride(const std::string& folder) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  overrideFolder = folder.empty() ? std::string() : IncludeTrailingSeparator(folder);
}

std::string PackagedDataFolder() {
  if (!Overridden().empty()) return std::string();
  return ResolvedLocations().packagedData;
}

std::string CompanionProgramFolder() {
  std::string overridden = Overridden();
  if (!overridden.empty()) return overridden;
  return FolderPart(OwnExecutablePath());
}

}  // namespace vz::platform
