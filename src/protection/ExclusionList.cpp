#include "protection/ExclusionList.h"

#include "knowledge/FindText.h"
#include "platform/FileSystem.h"

namespace vz::protection {

void ExclusionList::Load(const std::string& path) {
  if (auto bytes = platform::ReadWholeFile(path)) entries_.LoadFromText(*bytes);
}

bool ExclusionList::AddExclusion(const std::string& entry, const std::string& path, std::string* errorText) {
  entries_.Add(entry);
  platform::FileStatus saved = platform::WriteFileAtomic(path, entries_.Text());
  if (!saved && errorText) *errorText = saved.text;
  return saved.ok();
}

bool ExclusionList::IsExcluded(const std::string& folder, const std::string& fileName) const {
  std::string key = paths_.IncludeTrailingSeparator(folder) + fileName;
  return knowledge::FindText(key, entries_.Text(), 1) != 0;
}

}  // namespace vz::protection
