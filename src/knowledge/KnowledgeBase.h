#pragma once
// The knowledge base: the entry lists (known programs, spyware, special
// locations) and the expected-file lists of "MostCProc.txt". Empty until the
// first tick loads it; unchanged afterwards for the life of the process.
#include <memory>
#include <string>
#include <string_view>

#include "knowledge/IniFile.h"
#include "knowledge/NameList.h"
#include "knowledge/TabbedNameIndex.h"
#include "knowledge/TextList.h"

namespace vz::knowledge {

// Data files in the program's folder.
inline constexpr const char* kKnownArchive = "Proc1.pck";
inline constexpr const char* kSpywareArchive = "Proc2.pck";
inline constexpr const char* kSpecialArchive = "Proc4.pck";
inline constexpr const char* kKnownMember = "Proclist_noharm.txt";
inline constexpr const char* kSpywareMember = "Proclist.txt";
inline constexpr const char* kSpecialMember = "Special.txt";
inline constexpr const char* kUpdateList = "Procupd.txt";
inline constexpr const char* kSystemFileList = "MostCProc.txt";

// Sections of "MostCProc.txt".
inline constexpr const char* kWindowsSection = "Windows";
inline constexpr const char* kSystemSection = "windows\\system";
inline constexpr const char* kProgramsSection = "Programs";

class KnowledgeBase {
 public:
  TextList& AllKnownList() { return allKnown_; }
  const TextList& AllKnownList() const { return allKnown_; }
  TextList& SpywareList() { return spyware_; }
  const TextList& SpywareList() const { return spyware_; }
  TextList& SpecialList() { return special_; }
  const TextList& SpecialList() const { return special_; }

  NameList& WindowsFileNames() { return windowsFiles_; }
  const NameList& WindowsFileNames() const { return windowsFiles_; }
  NameList& System32FileNames() { return system32Files_; }
  const NameList& System32FileNames() const { return system32Files_; }
  NameList& ProgramFileNames() { return programFiles_; }
  const NameList& ProgramFileNames() const { return programFiles_; }

  // The sub-folder below the Program Files folder where a program file is
  // expected, read from "MostCProc.txt" on demand; empty when not listed.
  std::string ProgramFolders(std::string_view fileName) const;
  void SetSystemFileSource(std::shared_ptr<const IniFile> source) { systemFiles_ = std::move(source); }

  // The displayed counts: lines less one (never below 0).
  int SpywareCount() const;
  int AllKnownCount() const;

  // FindText of TAB + name + TAB in the spyware list's text from start, through
  // an index built at the first lookup after the list changed.
  std::size_t FindSpywareName(std::string_view name, std::size_t start) const;

  // Set by the age test of the start-up load.
  bool DataTooOld() const { return dataTooOld_; }
  void SetDataTooOld(bool tooOld) { dataTooOld_ = tooOld; }

 private:
  TextList allKnown_, spyware_, special_;
  NameList windowsFiles_, system32Files_, programFiles_;
  std::shared_ptr<const IniFile> systemFiles_;
  bool dataTooOld_ = false;
  mutable TabbedNameIndex spywareIndex_;
  mutable const char* indexedData_ = nullptr;
  mutable std::size_t indexedSize_ = 0;
};

// Reads the key names of the three sections of "MostCProc.txt" in appFolder
// (a missing file gives empty lists) and keeps the file for ProgramFolders.
void LoadSystemFileLists(KnowledgeBase& base, const std::string& appFolder);

// Deletes unpacked lists left by an earlier run ("Proclist.txt",
// "Proclist_noharm.txt"), so the archives are always unpacked afresh.
void DeleteStaleUnpackedLists(const std::string& appFolder);

}  // namespace vz::knowledge
