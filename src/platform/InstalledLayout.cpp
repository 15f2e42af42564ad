#include "platform/InstalledLayout.h"

#include "platform/FileSystem.h"
#include "platform/PathConventions.h"

namespace vz::platform {

std::string PackagedDataFolderBeside(const std::string& executablePath) {
  std::string binFolder = ExcludeTrailingSeparator(FolderPart(executablePath));
  if (NamePart(binFolder) != "bin") return std::string();
  std::string prefix = FolderPart(binFolder);
  if (prefix.empty()) return std::string();
  return prefix + "share/" + kDataFolderName + "/";
}

std::string PerUserDataFolder(const std::string& xdgDataHome, const std::string& home) {
  if (!xdgDataHome.empty() && xdgDataHome.front() == HostPathConventions().separator)
    return IncludeTrailingSeparator(xdgDataHome) + kDataFolderName + "/";
  if (!home.empty() && home.front() == HostPathConventions().separator)
    return IncludeTrailingSeparator(home) + ".local/share/" + kDataFolderName + "/";
  return std::string();
}

std::string ProgramPathFromLink(const std::string& linkText, bool existsAsGiven) {
  static const std::string kDeleted = " (deleted)";
  if (existsAsGiven || linkText.size() <= kDeleted.size() ||
      linkText.compare(linkText.size() - kDeleted.size(), kDeleted.size(), kDeleted) != 0)
    return linkText;
  return linkText.substr(0, linkText.size() - kDeleted.size());
}

}  // namespace vz::platform
