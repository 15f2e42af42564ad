#include "app/ResourceExtractor.h"

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

}  // namespace vz::app
