#pragma once
// Extractors for the loading tests: one that "unpacks" plain text members kept
// in memory per archive name (asking before it overwrites, as the real reader
// does), one that fails.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "knowledge/ArchiveExtractor.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "ui/Dialogs.h"

namespace vz::knowledge::testing {

struct Member {
  std::string name;
  std::string text;
};

class FakeExtractor : public ArchiveExtractor {
 public:
  explicit FakeExtractor(ui::Dialogs* dialogs = nullptr) : dialogs_(dialogs) {}

  std::map<std::string, std::vector<Member>> archives;  // by archive file name
  std::vector<std::string> calls;                        // archive names in call order

  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                             const std::string& fileName) override {
    const std::string archive = platform::NamePart(archivePath);
    calls.push_back(archive);
    if (!fileName.empty()) throw std::logic_error("the start-up load extracts every member");
    for (const Member& member : archives[archive]) {
      const std::string path = platform::IncludeTrailingSeparator(destFolder) + member.name;
      if (platform::FileExists(path) && dialogs_ != nullptr) {
        const auto answer = dialogs_->Ask("Warning", "The file " + path + " exists. Do you want to overwrite the file?",
                                          ui::DialogButtons::YesNoCancel);
        if (answer == ui::DialogAnswer::Cancel) throw std::runtime_error("Extract operation cancelled");
        if (answer == ui::DialogAnswer::No) continue;
      }
      testsupport::WriteFile(path, member.text);
    }
  }

 private:
  ui::Dialogs* dialogs_;
};

// Writes the start of a member, then fails the way a damaged archive does.
class DamagedExtractor : public ArchiveExtractor {
 public:
  std::string damaged;  // archive name that fails; others produce nothing
  std::string partialMember;

  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                             const std::string&) override {
    if (platform::NamePart(archivePath) != damaged) return;
    if (!partialMember.empty()) testsupport::WriteFile(platform::IncludeTrailingSeparator(destFolder) + partialMember, "X\thalf");
    throw std::runtime_error("Wrong Signature. Archive could be corrupted.");
  }
};

}  // namespace vz::knowledge::testing
