#include "inventory/FileOrigin.h"

#include "knowledge/FindText.h"
#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"

namespace vz::inventory {

using knowledge::Contains;
using knowledge::TrimBlanks;
using knowledge::UpperCaseText;

FileOriginClassifier::FileOriginClassifier(const knowledge::KnowledgeBase& knowledge, const FolderValues& folders,
                                           ExclusionTest isExcluded, const platform::PathConventions& paths,
                                           VersionReader readVersion)
    : knowledge_(knowledge),
      folders_(folders),
      isExcluded_(std::move(isExcluded)),
      paths_(paths),
      readVersion_(std::move(readVersion)) {}

void FileOriginClassifier::ReportError(const std::string& message) const {
  if (errorSink_) errorSink_(message);
}

bool FileOriginClassifier::RecognisedBySystemLists(const std::string& folderUpper, const std::string& rootUpper,
                                                   const std::string& name) const {
  const char sep = paths_.separator;
  bool recognised = false;
  // The system root itself.
  if (folderUpper == rootUpper && knowledge_.WindowsFileNames().ContainsName(name)) recognised = true;
  // The system folder.
  if (folderUpper == UpperCaseText(rootUpper + sep + paths_.systemFolder) &&
      knowledge_.System32FileNames().ContainsName(name))
    recognised = true;
  // The backup folders, where either list will do.
  for (const std::string& backup : paths_.backupFolders) {
    if (folderUpper != UpperCaseText(rootUpper + sep + backup)) continue;
    if (knowledge_.System32FileNames().ContainsName(name) || knowledge_.WindowsFileNames().ContainsName(name))
      recognised = true;
  }
  return recognised;
}

bool FileOriginClassifier::ReadProgramFilesDir(std::string& folder) const {
  try {
    folder = folders_.ReadProgramFilesDir();
    return true;
  } catch (const ERegistryException& e) {
    ReportError(std::string("Could not read the Program Files folder: ") + e.what());
    return false;
  }
}

bool FileOriginClassifier::RecognisedAsProgram(const std::string& folderUpper, const std::string& name) const {
  std::string programFiles;
  if (!ReadProgramFilesDir(programFiles)) return false;
  if (!Contains(folderUpper, UpperCaseText(programFiles)) || !knowledge_.ProgramFileNames().ContainsName(name))
    return false;
  std::string expected = knowledge_.ProgramFolders(name);
  return folderUpper == UpperCaseText(programFiles + expected);
}

bool FileOriginClassifier::RecognisedByVersion(const platform::ProgramFile& program) const {
  platform::FileVersionInfo info = readVersion_(program);
  const std::string& company = info.CompanyName;
  return !company.empty() &&
         (company.find("Microsoft Corporation") != std::string::npos || company.find("Microsoft Corp.") != std::string::npos);
}

bool FileOriginClassifier::RecognisedBySpecialList(const std::string& folderUpper, const std::string& rootUpper,
                                                   const std::string& name) const {
  const knowledge::TextList& special = knowledge_.SpecialList();
  size_t match = knowledge::FindText(name, special.Text(), 1);
  if (match == 0) return false;
  std::string line(special[special.LineAt(match + 1)]);
  std::string kind = UpperCaseText(TrimBlanks(knowledge::GetField(line, 2)));
  std::string sub = knowledge::FieldCount(line) > 2 ? knowledge::GetField(line, 3) : std::string();
  if (kind == "WINDOWS") return folderUpper != UpperCaseText(rootUpper + sub);
  if (kind == "SYSTEM32") return folderUpper != UpperCaseText(rootUpper + paths_.separator + paths_.systemFolder);
  if (kind == "PROGRAMS") {
    // When the expected place cannot be known, the name stays a candidate.
    std::string programFiles;
    if (!ReadProgramFilesDir(programFiles)) return false;
    return !Contains(folderUpper, UpperCaseText(TrimBlanks(programFiles + sub)));
  }
  if (kind == "COMMON") return !Contains(folderUpper, UpperCaseText(TrimBlanks(folders_.ReadCommonFilesDir() + sub)));
  return false;
}

bool FileOriginClassifier::ClassifyFileOrigin(int& searchPosition, const std::string& folder, const std::string& name,
                                              std::uint32_t pid, std::uint64_t startTime) const {
  if (isExcluded_ && isExcluded_(folder, name)) {
    searchPosition = 0;
    return false;
  }
  std::string folderUpper = UpperCaseText(folder);
  std::string rootUpper = UpperCaseText(folders_.ReadSystemRoot());
  bool recognised = RecognisedBySystemLists(folderUpper, rootUpper, name);
  if (RecognisedAsProgram(folderUpper, name)) recognised = true;
  if (!recognised && RecognisedByVersion({folder + paths_.separator + name, pid, startTime})) recognised = true;
  if (!recognised && RecognisedBySpecialList(folderUpper, rootUpper, name)) recognised = true;
  if (recognised) searchPosition = 0;
  return !recognised;
}

}  // namespace vz::inventory
