#include "app/PackagedDataSeed.h"

#include "knowledge/KnowledgeBase.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"

namespace vz::app {

namespace {

// The data files of a package: the archives (the third one is only passed on
// to other machines) and the two plain lists.
constexpr const char* kPackagedDataFiles[] = {knowledge::kKnownArchive, knowledge::kSpywareArchive, "Proc3.pck",
                                              knowledge::kSpecialArchive, knowledge::kUpdateList,
                                              knowledge::kSystemFileList};

// Writes a copy of source at target with the source's file date; the old
// target stays whole when anything fails.
platform::FileStatus CopyWithDate(const std::string& source, const std::string& target, platform::DosDateTime date) {
  std::string contents;
  platform::FileStatus status = platform::ReadWholeFile(source, contents);
  if (!status) return status;
  auto file = platform::BeginFileWrite(target, status);
  if (!file) return status;
  if (!file->Write(contents.data(), static_cast<std::int64_t>(contents.size())) || !file->SetDate(date))
    return {platform::FileError::Failed, target + ": the copy could not be written"};
  return file->Commit();
}

}  // namespace

void SeedFromPackagedData(const std::string& packagedFolder, const std::string& folder, log::ShieldLog& log) {
  if (packagedFolder.empty()) return;
  for (const char* name : kPackagedDataFiles) {
    const std::string source = packagedFolder + name;
    const std::int64_t packagedDate = platform::FileDateOf(source);
    if (packagedDate < 0 || !platform::FileExists(source)) continue;
    const std::string target = folder + name;
    const bool present = platform::EntryExists(target);
    // File dates compare as packed values: the year in the top bits, the
    // two-second step of the time at the bottom. Only a regular file counts.
    if (platform::FileExists(target) && platform::FileDateOf(target) >= packagedDate) continue;
    platform::FileStatus status = CopyWithDate(source, target, static_cast<platform::DosDateTime>(packagedDate));
    if (!status)
      log.WriteShieldLog("Could not take the packaged data file into use : " + status.text);
    else if (present)
      log.WriteShieldLog("Newer packaged data file replaces the older one : " + std::string(name));
    else
      log.WriteShieldLog("Packaged data file taken into use : " + std::string(name));
  }
}

}  // namespace vz::app
