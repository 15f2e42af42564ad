// The bundled sample lists: their format is what the loader and the lookups
// rely on, and loading them gives the expected split of spyware and programs.
#include <gtest/gtest.h>

#include <set>

#include "FakeExtractor.h"
#include "knowledge/KnowledgeLoader.h"
#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"
#include "log/ShieldLog.h"
#include "platform/testing/FakeClock.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::knowledge {
namespace {

using testsupport::ReadFile;

std::string Data(const std::string& name) { return ReadFile(VZ_SAMPLE_DATA_DIR + name); }

// Every line ends with CR LF and there is no lone CR or LF.
void ExpectCrLfLines(const std::string& name) {
  const std::string text = Data(name);
  ASSERT_FALSE(text.empty()) << name;
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << name << " at " << i;
    }
    if (text[i] == '\n') {
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << name << " at " << i;
    }
  }
}

TEST(SampleData, EntryListsAreTabSeparatedWithTheFileNameFollowedByATab) {
  for (const char* name : {"Proclist_noharm.txt", "Proclist.txt", "Procupd.txt", "Special.txt", "MostCProc.txt"})
    ExpectCrLfLines(name);
  std::set<std::string> spywareNames;
  for (const char* name : {"Proclist_noharm.txt", "Proclist.txt", "Procupd.txt"}) {
    TextList list;
    list.LoadFromText(Data(name));
    for (std::size_t i = 0; i < list.Count(); ++i) {
      const std::string_view line = list[i];
      EXPECT_GE(FieldCount(line), 4) << name << ": " << line;
      const std::string marker = GetField(line, 1);
      if (marker.empty() || marker == "#") continue;  // a continuation or the header line
      EXPECT_FALSE(GetField(line, 3).empty()) << name << ": " << line;
      if (marker == "X") {
        EXPECT_TRUE(spywareNames.insert(UpperCaseText(GetField(line, 3))).second) << line;
      }
      const std::string description = GetField(line, 4);
      if (description.rfind("(\"", 0) == 0) {  // a link in front of the text
        EXPECT_NE(UpperCaseText(description).find("HTTP://"), std::string::npos) << line;
        EXPECT_NE(description.find("\")"), std::string::npos) << line;
      }
    }
  }
  EXPECT_GE(spywareNames.size(), 150u);
}

TEST(SampleData, SpecialListHasEveryLocationKindAndSystemListsItsSections) {
  TextList special;
  special.LoadFromText(Data("Special.txt"));
  std::set<std::string> kinds;
  for (std::size_t i = 0; i < special.Count(); ++i) {
    kinds.insert(UpperCaseText(TrimBlanks(GetField(special[i], 2))));
    if (FieldCount(special[i]) > 2) {
      const std::string sub = GetField(special[i], 3);
      EXPECT_EQ(sub.front(), '/') << special[i];
      EXPECT_NE(sub.back(), '/') << special[i];
    }
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"WINDOWS", "SYSTEM32", "PROGRAMS", "COMMON"}));

  testsupport::TempDir dir;
  testsupport::WriteFile(dir.file("MostCProc.txt"), Data("MostCProc.txt"));
  KnowledgeBase base;
  LoadSystemFileLists(base, dir.path());
  EXPECT_TRUE(base.System32FileNames().ContainsName("ls"));
  EXPECT_GT(base.ProgramFileNames().Count(), 5u);
  EXPECT_EQ(base.ProgramFolders("chrome"), "/google/chrome");
}

TEST(SampleData, LoadsIntoTheKnowledgeBase) {
  testsupport::TempDir dir;
  ui::scripted::ScriptedFrontEnd ui;
  testing::FakeExtractor extractor;
  const std::pair<const char*, const char*> archives[] = {
      {"Proc1.pck", "Proclist_noharm.txt"}, {"Proc2.pck", "Proclist.txt"}, {"Proc4.pck", "Special.txt"}};
  for (const auto& [archive, member] : archives) {
    testsupport::WriteFile(dir.file(archive), "packed");
    extractor.archives[archive] = {{member, Data(member)}};
  }
  testsupport::WriteFile(dir.file("Procupd.txt"), Data("Procupd.txt"));
  platform::testing::FakeClock clock;
  clock.now = platform::LocalTime{1990, 1, 1, 0, 0, 0, 1};  // before the files' dates: never too old
  log::ShieldLog log(clock);
  KnowledgeBase base;
  LoadKnowledgeBase(base, LoadEnvironment{dir.path(), extractor, log, ui.mainWindow, ui.events, clock});

  // The header line is not counted; the two spyware lines of the update list join the 151.
  EXPECT_EQ(base.SpywareCount(), 151 + 2);
  const std::size_t at = base.SpywareList().FindLine("\tXMRIG-PROXY\t");
  ASSERT_NE(at, static_cast<std::size_t>(-1));
  EXPECT_EQ(GetField(base.SpywareList()[at], 2), "XMRig proxy");
  EXPECT_NE(base.AllKnownList().FindLine("\tNOTEPAD.EXE\t"), static_cast<std::size_t>(-1));
  EXPECT_NE(base.AllKnownList().FindLine("\tmsblast.exe\t"), static_cast<std::size_t>(-1));
  EXPECT_EQ(base.SpecialList().Count(), 12u);
  EXPECT_NE(log.Entries().front().find("Known Spyware : 153 of "), std::string::npos);
}

}  // namespace
}  // namespace vz::knowledge
