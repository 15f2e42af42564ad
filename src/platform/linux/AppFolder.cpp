#include "platform/AppFolder.h"

#include <unistd.h>

#include <climits>
#include <mutex>

#include "platform/FileSystem.h"

namespace vz::platform {

namespace {
std::mutex overrideMutex;
std::string overrideFolder;
}  // namespace

std::string OwnExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

std::string AppFolder() {
  {
    std::lock_guard<std::mutex> lock(overrideMutex);
    if (!overrideFolder.empty()) return overrideFolder;
  }
  // The program file's path shortened to its last separator.
  return FolderPart(OwnExecutablePath());
}

void SetAppFolderOverride(const std::string& folder) {
  std::lock_guard<std::mutex> lock(overrideMutex);
  overrideFolder = folder.empty() ? std::string() : IncludeTrailingSeparator(folder);
}

}  // namespace vz::platform
