#pragma once
// The extraction component ("Resource1") as the start-up load sees it.
#include <string>
#include <vector>

#include "archive/ArchiveExtraction.h"
#include "knowledge/ArchiveExtractor.h"

namespace vz::app {

class ResourceExtractor final : public knowledge::ArchiveExtractor {
 public:
  explicit ResourceExtractor(archive::ArchiveExtraction& resource) : resource_(resource) {}
  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                             const std::string& fileName, std::vector<std::string>& placed) override;
  std::int64_t MemberSize(const std::string& archivePath, const std::string& member) override;

 private:
  archive::ArchiveExtraction& resource_;
};

}  // namespace vz::app
