#include "protection/ExclusionList.h"

#include "knowledge/FindText.h"
#include "platform/FileSystem.h"

namespace vz::protection {

void ExclusionList::Load(const std::string& path) {
  std::string bytes;
  platform::FileStatus read = platform::ReadWholeFile(path, bytes);
  unreadable_.clear();
  if (read) {
    entries_.LoadFromText(bytes);
  } else if (read.error != platform::FileError::NotFound) {
    unreadable_ = read.text;
  }
}

bool ExclusionList::AddExclusion(const std::string& entry, const std::string& path, std::string* errorText) {
  entries_.Add(entry);
  if (!unreadable_.empty()) {
    if (errorText) *errorText = unreadable_ + " (could not be read at start; not overwritten)";
    return false;
  }
  platform::FileStatus saved = platform::WriteFileAtomic(path, entries_.Text());
  if (!saved && errorText) *errorText = saved.text;
  return saved.ok();
}

bool ExclusionList::IsExcluded(const std::string& folder, const std::string& fileName) const {
  std::string key = paths_.IncludeTrailingSeparator(folder) + fileName;
  return knowledge::FindText(key, entries_.Text(), 1) != 0;
}

}  // namespace vz::protection
