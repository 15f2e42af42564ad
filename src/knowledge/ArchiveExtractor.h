#pragma once
// What the start-up load needs from the archive reader: extract every member
// of an archive into a folder. Failures arrive as exceptions derived from
// std::exception; a member that did not come out is noticed by its absence.
#include <string>

namespace vz::knowledge {

class ArchiveExtractor {
 public:
  virtual ~ArchiveExtractor() = default;
  // fileName empty: every member.
  virtual void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                                     const std::string& fileName) = 0;
};

}  // namespace vz::knowledge
