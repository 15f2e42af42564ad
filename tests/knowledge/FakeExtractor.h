#pragma once
// Extractors for the loading tests, behaving as the real reader does: a member
// is put in place whole (written atomically) or not at all, the overwrite
// question comes before anything is written, and every member put in place is
// reported. One unpacks plain text members kept in memory per archive name,
// one fails.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "knowledge/ArchiveExtractor.h"
#include "platform/FileSystem.h"
#include "ui/Dialogs.h"

namespace vz::knowledge::testing {

struct Member {
  std::string name;
  std::string text;
};

inline void PlaceMember(const std::string& destFolder, const Member& member, std::vector<std::string>& placed) {
  const std::string path = platform::IncludeTrailingSeparator(destFolder) + member.name;
  if (platform::FileStatus status = platform::WriteFileAtomic(path, member.text); !status)
    throw std::runtime_error("Cannot create " + status.text);
  placed.push_back(path);
}

class FakeExtractor : public ArchiveExtractor {
 public:
  explicit FakeExtractor(ui::Dialogs* dialogs = nullptr) : dialogs_(dialogs) {}

  std::map<std::string, std::vector<Member>> archives;  // by archive file name
  std::vector<std::string> calls;                        // archive names in call order

  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                             const std::string& fileName, std::vector<std::string>& placed) override {
    const std::string archive = platform::NamePart(archivePath);
    calls.push_back(archive);
    if (!fileName.empty()) throw std::logic_error("the start-up load extracts every member");
    for (const Member& member : archives[archive]) {
      const std::string path = platform::IncludeTrailingSeparator(destFolder) + member.name;
      if (platform::EntryExists(path) && dialogs_ != nullptr) {
        const auto answer = dialogs_->Ask("Warning", "The file " + path + " exists. Do you want to overwrite the file?",
                                          ui::DialogButtons::YesNoCancel);
        if (answer == ui::DialogAnswer::Cancel) throw std::runtime_error("Extract operation cancelled");
        if (answer == ui::DialogAnswer::No) continue;
      }
      PlaceMember(destFolder, member, placed);
    }
  }

 private:
  ui::Dialogs* dialogs_;
};

// Fails the way a damaged archive does, after putting in place the members
// listed (as the real reader does when a later entry is damaged).
class DamagedExtractor : public ArchiveExtractor {
 public:
  std::string damaged;  // archive name that fails; others produce nothing
  std::vector<Member> placedFirst;

  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder, const std::string&,
                             std::vector<std::string>& placed) override {
    if (platform::NamePart(archivePath) != damaged) return;
    for (const Member& member : placedFirst) PlaceMember(destFolder, member, placed);
    throw std::runtime_error("Wrong Signature. Archive could be corrupted.");
  }
};

}  // namespace vz::knowledge::testing
