#pragma once
// What the start-up load needs from the archive reader: extract every member
// of an archive into a folder. Failures arrive as exceptions derived from
// std::exception; a member that did not come out is noticed by its absence.
#include <cstdint>
#include <string>
#include <vector>

namespace vz::knowledge {

class ArchiveExtractor {
 public:
  virtual ~ArchiveExtractor() = default;
  // fileName empty: every member. A member is written whole under another
  // name and takes its own only once complete, so no part of one is ever
  // left. `placed` receives the path of each member this call put in place,
  // also when it then raises.
  virtual void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                                     const std::string& fileName, std::vector<std::string>& placed) = 0;
  // The size of the member the archive's directory lists under that name, so
  // the list it holds can be given room for everything merged into it; 0
  // when not known. Never raises: the extraction reports what is wrong.
  virtual std::int64_t MemberSize(const std::string& /*archivePath*/, const std::string& /*member*/) { return 0; }
};

}  // namespace vz::knowledge
