#pragma once
// The exclusion list: files the user declared harmless. One full path per line
// in "EXCFDir.QVA" in the program's folder; loaded once at start, appended to
// from the alert window, and consulted first by the file origin classification.
#include <string>

#include "knowledge/TextList.h"
#include "platform/PathConventions.h"

namespace vz::protection {

inline constexpr const char* kExclusionFileName = "EXCFDir.QVA";

class ExclusionList {
 public:
  explicit ExclusionList(const platform::PathConventions& paths) : paths_(paths) {}

  // Replaces the list by the lines of the file; a missing file leaves it empty.
  // A file that is there but cannot be read leaves it empty too, and is then
  // never overwritten by a save (it would lose every entry in it).
  void Load(const std::string& path);
  // Appends entry as the last line and saves the whole list to path at once
  // (atomically replaced). The entry stays in memory even if saving fails;
  // false then, with errorText.
  bool AddExclusion(const std::string& entry, const std::string& path, std::string* errorText = nullptr);
  // True when folder (with a trailing separator added unless it has one)
  // followed by fileName occurs anywhere in the list, case ignored.
  bool IsExcluded(const std::string& folder, const std::string& fileName) const;

  const knowledge::TextList& Entries() const { return entries_; }

 private:
  const platform::PathConventions& paths_;
  knowledge::TextList entries_;
  std::string unreadable_;  // why the file at start could not be read ("" when it could)
};

}  // namespace vz::protection
