#include "update/UpdateFileCopy.h"

#include <filesystem>
#include <vector>

#include "knowledge/UpperCase.h"
#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"

namespace vz::update {

std::int64_t FileSizeOf(const std::string& path) {
  std::optional<std::int64_t> size = platform::FileSize(path);
  return size ? *size : -1;
}

std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name) {
  if (platform::EntryExists(folder + name)) return name;
  std::optional<std::string> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string entry = it->path().filename().string();
    if (knowledge::SameTextIgnoringCase(entry, name) && (!found || entry < *found)) found = entry;
  }
  return found;
}

void CopyFileTo(const std::string& source, const std::string& destination) {
  std::string target = destination;
  if (platform::FolderExists(destination))
    target = platform::IncludeTrailingSeparator(destination) + platform::NamePart(source);
  platform::FileStatus status;
  auto in = platform::OpenExistingFile(source, platform::FileAccess::Read, platform::LinkPolicy::Follow, status);
  if (!in) throw CopyError(kCannotOpenFile);
  platform::WriteOptions options;
  options.keepPermissionsOfReplaced = true;
  auto out = platform::BeginFileWrite(target, status, options);
  if (!out) throw CopyError(kCannotCreateFile);
  std::vector<char> block(8192);
  while (true) {
    std::int64_t n = in->Read(block.data(), static_cast<std::int64_t>(block.size()));
    if (n < 0) throw CopyError(kCannotOpenFile);
    if (n > 0 && !out->Write(block.data(), n)) throw CopyError(kCannotCreateFile);
    if (n < static_cast<std::int64_t>(block.size())) break;
  }
  if (!out->Commit().ok()) throw CopyError(kCannotCreateFile);
}

}  // namespace vz::update
