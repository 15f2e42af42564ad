#include <gtest/gtest.h>

#include <filesystem>

#include "knowledge/IniFile.h"
#include "knowledge/IniText.h"
#include "knowledge/KnowledgeBase.h"
#include "support/TestSupport.h"

namespace vz::knowledge {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

TEST(IniText, SectionsAndKeysWithoutCase) {
  const auto ini = IniDocument::Parse(
      "stray=before any section\r\n"
      "; a comment\r\n"
      "[Windows]\r\n"
      "explorer.exe=1\r\n"
      "  regedit.exe = 1  \r\n"
      "\r\n"
      "[ WINDOWS\\System ]\n"
      "bash=\n"
      "lonekey\n"
      "[Programs]\r\n"
      "chrome=/google/chrome\r\n"
      "Quoted=\" /a b \"\r\n"
      "chrome=/second/entry\r\n"
      "[programs]\r\n"
      "late=/ignored\r\n");
  EXPECT_EQ(ini.SectionKeys("windows"), (std::vector<std::string>{"explorer.exe", "regedit.exe"}));
  EXPECT_EQ(ini.SectionKeys("windows\\system"), (std::vector<std::string>{"bash", "lonekey"}));
  EXPECT_EQ(ini.Value("PROGRAMS", "CHROME"), "/google/chrome");  // the first key wins
  EXPECT_EQ(ini.Value("Programs", "quoted"), " /a b ");
  EXPECT_EQ(ini.Value("Programs", "late"), std::nullopt);          // only the first section is read
  EXPECT_EQ(ini.Value("Windows", "regedit.exe"), "1");
  EXPECT_EQ(ini.Value("Missing", "x"), std::nullopt);
  EXPECT_TRUE(ini.SectionKeys("Missing").empty());
  EXPECT_TRUE(IniDocument::Parse("").Sections().empty());
  EXPECT_TRUE(IniDocument::Parse("[unclosed\nkey=1").FindSection("unclosed") != nullptr);
}

TEST(IniFileTest, LooksValuesUpInTheFileAsItStands) {
  TempDir dir;
  const std::string path = dir.file("MostCProc.txt");
  IniFile file(path);
  EXPECT_EQ(file.ReadString("Programs", "chrome", "none"), "none");  // missing file
  WriteFile(path, "[Programs]\r\nchrome=/google/chrome\r\n");
  EXPECT_EQ(file.ReadString("Programs", "Chrome"), "/google/chrome");
  // A change of the file is seen by the next lookup.
  WriteFile(path, "[Programs]\r\nchrome=/opt-two/chrome-browser\r\n");
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(file.ReadString("Programs", "chrome"), "/opt-two/chrome-browser");
}

TEST(SystemFileLists, LoadsTheThreeSectionsAndKeepsTheFile) {
  TempDir dir;
  KnowledgeBase base;
  LoadSystemFileLists(base, dir.path());  // missing file: empty lists
  EXPECT_EQ(base.WindowsFileNames().Count(), 0u);
  EXPECT_EQ(base.ProgramFolders("zoom"), "");

  WriteFile(dir.file("MostCProc.txt"),
            "[Windows]\r\nEXPLORER.EXE=1\r\n[windows\\system]\r\nbash=1\r\nls=1\r\n"
            "[Programs]\r\nzoom=/zoom\r\nchrome=/google/chrome\r\n");
  LoadSystemFileLists(base, dir.path());
  EXPECT_TRUE(base.WindowsFileNames().ContainsName("plorer.exe"));
  EXPECT_EQ(base.System32FileNames().Names(), (std::vector<std::string>{"bash", "ls"}));
  EXPECT_TRUE(base.ProgramFileNames().ContainsName("CHROME"));
  EXPECT_EQ(base.ProgramFolders("Chrome"), "/google/chrome");
  EXPECT_EQ(base.ProgramFolders("firefox"), "");
}

}  // namespace
}  // namespace vz::knowledge
