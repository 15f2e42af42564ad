#pragma once
// File origin classification: before a program file is looked up in the
// spyware list it must fail to be recognised as legitimate by where it lies
// and what it is: the user's exclusions, the expected system and program files,
// a Microsoft company name in its version information, and the location rules
// of the special list.
#include <cstdint>
#include <functional>
#include <string>

#include "inventory/FolderValues.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/PathConventions.h"
#include "platform/VersionInfo.h"

namespace vz::inventory {

class FileOriginClassifier {
 public:
  using ExclusionTest = std::function<bool(const std::string& folder, const std::string& name)>;
  using VersionReader = std::function<platform::FileVersionInfo(const platform::ProgramFile& program)>;
  // Told when the Program Files folder cannot be read (the rule that needs it
  // then recognises nothing).
  using ErrorSink = std::function<void(const std::string& message)>;

  FileOriginClassifier(const knowledge::KnowledgeBase& knowledge, const FolderValues& folders,
                       ExclusionTest isExcluded, const platform::PathConventions& paths,
                       VersionReader readVersion = platform::ReadProgramVersionInfo);

  void SetErrorSink(ErrorSink sink) { errorSink_ = std::move(sink); }

  // True when the file is not recognised (go on to the spyware lookup), false
  // when it is recognised as legitimate; then searchPosition becomes 0.
  // folder: the file's folder without a trailing separator, in its own case
  // (the rules compare it upper-cased; the version information is read from
  // the real path, which on Linux is case-sensitive). pid and startTime name
  // the process that runs the file, if any: its version information is then
  // read from what runs.
  bool ClassifyFileOrigin(int& searchPosition, const std::string& folder, const std::string& name,
                          std::uint32_t pid = 0, std::uint64_t startTime = 0) const;

 private:
  bool RecognisedBySystemLists(const std::string& folderUpper, const std::string& rootUpper,
                               const std::string& name) const;
  bool RecognisedAsProgram(const std::string& folderUpper, const std::string& name) const;
  bool RecognisedByVersion(const platform::ProgramFile& program) const;
  bool RecognisedBySpecialList(const std::string& folderUpper, const std::string& rootUpper,
                               const std::string& name) const;
  void ReportError(const std::string& message) const;
  // The Program Files folder; false (and the error reported) when it cannot be read.
  bool ReadProgramFilesDir(std::string& folder) const;

  const knowledge::KnowledgeBase& knowledge_;
  const FolderValues& folders_;
  ExclusionTest isExcluded_;
  const platform::PathConventions& paths_;
  VersionReader readVersion_;
  ErrorSink errorSink_;
};

}  // namespace vz::inventory
