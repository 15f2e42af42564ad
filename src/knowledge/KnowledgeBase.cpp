#include "knowledge/KnowledgeBase.h"

#include "platform/FileSystem.h"

namespace vz::knowledge {

std::string KnowledgeBase::ProgramFolders(std::string_view fileName) const {
  return systemFiles_ ? systemFiles_->ReadString(kProgramsSection, fileName) : std::string();
}

namespace {
int DisplayedCount(const TextList& list) {
  return list.Count() == 0 ? 0 : static_cast<int>(list.Count() - 1);
}
}  // namespace

int KnowledgeBase::SpywareCount() const { return DisplayedCount(spyware_); }
int KnowledgeBase::AllKnownCount() const { return DisplayedCount(allKnown_); }

void LoadSystemFileLists(KnowledgeBase& base, const std::string& appFolder) {
  auto file = std::make_shared<const IniFile>(appFolder + kSystemFileList);
  base.WindowsFileNames().Assign(file->SectionKeys(kWindowsSection));
  base.System32FileNames().Assign(file->SectionKeys(kSystemSection));
  base.ProgramFileNames().Assign(file->SectionKeys(kProgramsSection));
  base.SetSystemFileSource(std::move(file));
}

void DeleteStaleUnpackedLists(const std::string& appFolder) {
  for (const char* name : {kSpywareMember, kKnownMember}) {
    const std::string path = appFolder + name;
    if (platform::FileExists(path)) platform::RemoveFile(path);
  }
}

std::size_t KnowledgeBase::FindSpywareName(std::string_view name, std::size_t start) const {
  const std::string& text = spyware_.Text();
  if (indexedData_ != text.data() || indexedSize_ != text.size() || spywareIndex_.Text().data() != text.data()) {
    spywareIndex_.Build(text);
    indexedData_ = text.data();
    indexedSize_ = text.size();
  }
  return spywareIndex_.Find(name, start);
}

}  // namespace vz::knowledge
