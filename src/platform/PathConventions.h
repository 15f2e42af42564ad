#pragma once
// How paths are spelt on the machine being protected: the folder separator and
// the names of the system folder and the backup folders below the system root
// that the file origin rules look in. Whoever builds the core chooses them:
// the program's entry takes the host's, tests may take the Windows ones.
#include <string>
#include <vector>

namespace vz::platform {

struct PathConventions {
  char separator = '/';
  std::string systemFolder;                // appended to the system root with a separator
  std::vector<std::string> backupFolders;  // likewise, in the order the rules test them

  std::string IncludeTrailingSeparator(const std::string& path) const;
  std::string ExcludeTrailingSeparator(const std::string& path) const;
  // Everything up to and including the last separator ("" when there is none).
  std::string FolderPart(const std::string& path) const;
  std::string NamePart(const std::string& path) const;
};

const PathConventions& LinuxPathConventions();
const PathConventions& WindowsPathConventions();
// The conventions of the machine this program runs on: the platform's own
// (the file system's separator in particular).
const PathConventions& HostPathConventions();

}  // namespace vz::platform
