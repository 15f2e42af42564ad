#include "protection/BlockSnapshot.h"

#include "knowledge/TextFields.h"

namespace vz::protection {

BlockSnapshot::BlockSnapshot(const knowledge::KnowledgeBase& knowledge, const ExclusionList& exclusions,
                             inventory::FixedFolderValues folders, const platform::PathConventions& paths)
    : knowledge_(knowledge),
      exclusions_(exclusions),
      folders_(std::move(folders)),
      paths_(paths),
      classifier_(
          knowledge_, folders_,
          [this](const std::string& folder, const std::string& name) { return exclusions_.IsExcluded(folder, name); },
          paths) {
  // The lookup index is built here, not at the first attempt to run a program.
  knowledge_.FindSpywareName("", 1);
}

std::string BlockSnapshot::Refusal(const std::string& path) const {
  const std::string folder = paths_.ExcludeTrailingSeparator(paths_.FolderPart(path));
  const std::string name = path.substr(paths_.FolderPart(path).size());
  if (name.empty() || knowledge::TrimBlanks(folders_.ReadSystemRoot()).empty()) return std::string();
  // Most programs are not listed: that is known without reading the file.
  if (knowledge_.FindSpywareName(name, 2) == 0) return std::string();
  int searchPosition = 1;
  if (!classifier_.ClassifyFileOrigin(searchPosition, folder, name)) return std::string();
  size_t match = knowledge_.FindSpywareName(name, static_cast<size_t>(searchPosition) + 1);
  if (match == 0) return std::string();
  const knowledge::TextList& spyware = knowledge_.SpywareList();
  return knowledge::GetField(spyware[spyware.LineAt(match + 1)], 2);
}

}  // namespace vz::protection
