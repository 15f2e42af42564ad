#include "app/ResourceExtractor.h"

#include <exception>

#include "archive/ArchiveFile.h"

namespace vz::app {

void ResourceExtractor::DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                                              const std::string& fileName, std::vector<std::string>& placed) {
  try {
    resource_.DecompressFromArchive(archivePath, destFolder, fileName);
  } catch (...) {
    placed = resource_.PlacedFiles();
    throw;
  }
  placed = resource_.PlacedFiles();
}

std::int64_t ResourceExtractor::MemberSize(const std::string& archivePath, const std::string& member) {
  try {
    return archive::MemberFileSize(archivePath, member);
  } catch (const std::exception&) {
    return 0;  // only a size hint: the extraction that follows reports the error
  }
}

}  // namespace vz::app
