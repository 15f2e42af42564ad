#pragma once
// What the exec guard decides with: a copy of the lists, the exclusions and
// the folder values, taken on the user-interface thread and then only read by
// the guard's thread. A change of the lists or exclusions makes a new one.
#include <string>

#include "inventory/FileOrigin.h"
#include "inventory/FolderValues.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/PathConventions.h"
#include "protection/ExclusionList.h"

namespace vz::protection {

class BlockSnapshot {
 public:
  BlockSnapshot(const knowledge::KnowledgeBase& knowledge, const ExclusionList& exclusions,
                inventory::FixedFolderValues folders, const platform::PathConventions& paths);
  BlockSnapshot(const BlockSnapshot&) = delete;
  BlockSnapshot& operator=(const BlockSnapshot&) = delete;

  // The spyware entry's name when the program file must not run: its name is
  // listed and the origin rules do not recognise it. Empty: it may run.
  std::string Refusal(const std::string& path) const;

 private:
  knowledge::KnowledgeBase knowledge_;
  ExclusionList exclusions_;
  inventory::FolderValues folders_;
  const platform::PathConventions& paths_;
  inventory::FileOriginClassifier classifier_;
};

}  // namespace vz::protection
