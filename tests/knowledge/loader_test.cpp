#include <gtest/gtest.h>
#include <sys/time.h>

#include <algorithm>
#include <ctime>

#include "FakeExtractor.h"
#include "TextListLines.h"
#include "knowledge/DataAge.h"
#include "knowledge/KnowledgeLoader.h"
#include "log/ShieldLog.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/testing/FakeClock.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::knowledge {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using testing::DamagedExtractor;
using testing::FakeExtractor;
using Lines = std::vector<std::string>;

void SetLocalModificationTime(const std::string& path, int year, int month, int day, int hour, int minute) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  const timeval times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
  ASSERT_EQ(::utimes(path.c_str(), times), 0);
}

class LoadKnowledge : public ::testing::Test {
 protected:
  LoadKnowledge() {
    clock.now = platform::LocalTime{2026, 3, 10, 12, 0, 0, 2};
  }

  // An archive file in the program's folder whose one member the fake unpacks.
  void AddArchive(const std::string& archive, const std::string& member, const std::string& text) {
    WriteFile(dir.file(archive), "packed");
    SetLocalModificationTime(dir.file(archive), 2026, 3, 1, 9, 0);
    extractor.archives[archive] = {{member, text}};
  }

  void Load(ArchiveExtractor& with) {
    const LoadEnvironment env{dir.path(), with, log, ui.mainWindow, ui.events, clock};
    LoadKnowledgeBase(base, env);
  }
  void Load() { Load(extractor); }

  // Log messages in the order written, without their time of day.
  Lines Messages() const {
    Lines messages;
    for (const auto& entry : log.Entries()) messages.push_back(entry.substr(10));
    std::reverse(messages.begin(), messages.end());
    return messages;
  }
  bool Logged(const std::string& message) const {
    const Lines m = Messages();
    return std::find(m.begin(), m.end(), message) != m.end();
  }
  const Lines& LastActionHistory() const { return ui.mainWindow.statusHistory[3]; }

  TempDir dir;
  platform::testing::FakeClock clock;
  log::ShieldLog log{clock};
  ui::scripted::ScriptedFrontEnd ui;
  FakeExtractor extractor{&ui.dialogs};
  KnowledgeBase base;
};

TEST_F(LoadKnowledge, MergesUpdatesSeparatesSpywareAndShowsCounts) {
  AddArchive("Proc1.pck", "Proclist_noharm.txt",
             "Known\tHeader\t\t\r\n"
             "X\tMarked but not last\tmarked.exe\t\r\n"
             "A\tEditor\tnotepad.exe\tText editor\r\n"
             "X\tLast known line\tlastknown.exe\t\r\n");
  AddArchive("Proc2.pck", "Proclist.txt", "Spyware\tHeader\t\t\r\nX\tGator\tgator.exe\tAdware\r\n");
  AddArchive("Proc4.pck", "Special.txt", "svchost.exe\tSYSTEM32\r\n");
  WriteFile(dir.file("Procupd.txt"),
            "X\tUpdate spy\tspy1.exe\tfirst\r\n"
            "x\tLower x\tspy2.exe\t\r\n"
            "Xylo\tNot a marker\txylo.exe\t\r\n"
            "\t\t\tcontinued description\r\n"
            " X \tBlank around\tspy3.exe\t\r\n");
  Load();

  EXPECT_EQ(LinesOf(base.SpywareList()),
            (Lines{"Spyware\tHeader\t\t", "X\tGator\tgator.exe\tAdware", " X \tBlank around\tspy3.exe\t",
                   "x\tLower x\tspy2.exe\t", "X\tUpdate spy\tspy1.exe\tfirst", "X\tLast known line\tlastknown.exe\t"}));
  EXPECT_EQ(LinesOf(base.AllKnownList()),
            (Lines{"Known\tHeader\t\t", "X\tMarked but not last\tmarked.exe\t", "A\tEditor\tnotepad.exe\tText editor",
                   "Xylo\tNot a marker\txylo.exe\t", "\t\t\tcontinued description", "Spyware\tHeader\t\t",
                   "X\tGator\tgator.exe\tAdware", " X \tBlank around\tspy3.exe\t", "x\tLower x\tspy2.exe\t",
                   "X\tUpdate spy\tspy1.exe\tfirst", "X\tLast known line\tlastknown.exe\t"}));
  EXPECT_EQ(base.AllKnownList().FindLine("\tSPY1.EXE\t"), 9u);
  EXPECT_EQ(LinesOf(base.SpecialList()), (Lines{"svchost.exe\tSYSTEM32"}));

  EXPECT_EQ(ui.mainWindow.statusPanels[1], "Known Spyware : 5");
  EXPECT_EQ(ui.mainWindow.statusPanels[2], "All Known : 10");
  EXPECT_EQ(Messages(), (Lines{"Looking for 1 pck...", "Looking for Database(2 pck) ...", "Looking for Proc4.pck...",
                               "Initilizing data ", "Merging With received Updates", "Preparing Spyware Detection  ",
                               "Known Spyware : 5 of 10 Known"}));
  EXPECT_EQ(LastActionHistory(),
            (Lines{"Initilizing data 0%", "Merging With received Updates", "Merging With Updates  0%",
                   "Merging With Updates  25%", "Merging With Updates  50%", "Merging With Updates  75%",
                   "Merging With Updates  100%", "Ready"}));
  EXPECT_EQ(ui.events.calls, 2 + 5);
  EXPECT_EQ(extractor.calls, (Lines{"Proc1.pck", "Proc2.pck", "Proc4.pck"}));

  // The unpacked members are gone; archives and the update list stay.
  EXPECT_FALSE(platform::FileExists(dir.file("Proclist_noharm.txt")));
  EXPECT_FALSE(platform::FileExists(dir.file("Proclist.txt")));
  EXPECT_FALSE(platform::FileExists(dir.file("Special.txt")));
  EXPECT_TRUE(platform::FileExists(dir.file("Proc2.pck")));
  EXPECT_TRUE(platform::FileExists(dir.file("Procupd.txt")));
  EXPECT_FALSE(base.DataTooOld());
}

TEST_F(LoadKnowledge, SingleUpdateLineShowsZeroPercent) {
  AddArchive("Proc1.pck", "Proclist_noharm.txt", "h\r\nA\tEditor\tnotepad.exe\t\r\n");
  WriteFile(dir.file("Procupd.txt"), "X\tOnly\tonly.exe\t");  // no line end either
  Load();
  EXPECT_EQ(LastActionHistory(),
            (Lines{"Initilizing data 0%", "Merging With received Updates", "Merging With Updates  0%", "Ready"}));
  EXPECT_EQ(LinesOf(base.SpywareList()), (Lines{"X\tOnly\tonly.exe\t"}));
  EXPECT_EQ(base.AllKnownList().Count(), 3u);
}

TEST_F(LoadKnowledge, MissingArchivesAndMembersAreLoggedAndListsStayEmpty) {
  Load();  // no archive at all, no update list
  EXPECT_EQ(Messages(), (Lines{"Looking for 1 pck...", "Looking for Database(2 pck) ...",
                               "Could not Open PCK File with Process 2 list (Spywares)", "Looking for Proc4.pck...",
                               "Initilizing data ", "Merging With received Updates", "Preparing Spyware Detection  ",
                               "Known Spyware : 0 of 0 Known"}));
  EXPECT_EQ(ui.mainWindow.statusPanels[3], "Ready");
  EXPECT_TRUE(extractor.calls.empty());

  // Archives present that yield nothing.
  for (const char* name : {"Proc1.pck", "Proc2.pck", "Proc4.pck"}) AddArchive(name, std::string(name) + ".readme", "x");
  KnowledgeBase fresh;
  base = fresh;
  Load();
  EXPECT_TRUE(Logged("Could not Open File with Process 1 list"));
  EXPECT_TRUE(Logged("Could not Open Unpacked File with Process 2 list (Spywares)"));
  EXPECT_TRUE(Logged("Could not Open File with Process 4 list"));
  EXPECT_TRUE(base.SpywareList().Empty());
}

TEST_F(LoadKnowledge, UpdatesMergeIntoAnEmptyKnownList) {
  WriteFile(dir.file("Procupd.txt"), "X\tSpy\tspy.exe\t\r\nA\tTool\ttool.exe\t\r\n");
  Load();
  EXPECT_EQ(LinesOf(base.SpywareList()), (Lines{"X\tSpy\tspy.exe\t"}));
  EXPECT_EQ(LinesOf(base.AllKnownList()), (Lines{"A\tTool\ttool.exe\t", "X\tSpy\tspy.exe\t"}));
}

TEST_F(LoadKnowledge, DamagedArchiveIsLoggedAndTheLoadGoesOn) {
  AddArchive("Proc2.pck", "Proclist.txt", "");
  AddArchive("Proc4.pck", "Special.txt", "");
  DamagedExtractor damaged;
  damaged.damaged = "Proc2.pck";
  damaged.placedFirst = {{"Proclist.txt", "X\tSpy\tspy.exe\t\r\n"}};
  Load(damaged);
  EXPECT_TRUE(Logged("Could not extract Proc2.pck : Wrong Signature. Archive could be corrupted."));
  EXPECT_FALSE(Logged("Could not Open Unpacked File with Process 2 list (Spywares)"));  // one line only
  EXPECT_TRUE(base.SpywareList().Empty());
  // What this extraction put in place is not kept from an archive that failed.
  EXPECT_FALSE(platform::FileExists(dir.file("Proclist.txt")));
  EXPECT_TRUE(Logged("Could not Open File with Process 4 list"));  // the next stage ran
  EXPECT_EQ(ui.mainWindow.statusPanels[3], "Ready");
}

TEST_F(LoadKnowledge, UnpackedSpywareListLeftInPlaceIsUsedWithoutExtracting) {
  AddArchive("Proc2.pck", "Proclist.txt", "fresh\r\n");
  WriteFile(dir.file("Proclist.txt"), "left\r\nover\r\n");
  Load();
  EXPECT_TRUE(std::find(extractor.calls.begin(), extractor.calls.end(), "Proc2.pck") == extractor.calls.end());
  EXPECT_EQ(LinesOf(base.SpywareList()), (Lines{"left", "over"}));

  // The main window's creation removes such copies first, so a start unpacks afresh.
  WriteFile(dir.file("Proclist.txt"), "stale\r\n");
  WriteFile(dir.file("Proclist_noharm.txt"), "stale\r\n");
  WriteFile(dir.file("Special.txt"), "kept\r\n");
  DeleteStaleUnpackedLists(dir.path());
  EXPECT_FALSE(platform::FileExists(dir.file("Proclist.txt")));
  EXPECT_FALSE(platform::FileExists(dir.file("Proclist_noharm.txt")));
  EXPECT_TRUE(platform::FileExists(dir.file("Special.txt")));
  base = KnowledgeBase();
  Load();
  EXPECT_EQ(LinesOf(base.SpywareList()), (Lines{"fresh"}));
}

TEST_F(LoadKnowledge, LeftoverSpecialListIsOverwrittenOnlyOnYes) {
  AddArchive("Proc4.pck", "Special.txt", "new.exe\tPROGRAMS\t/new\r\n");
  WriteFile(dir.file("Special.txt"), "old.exe\tWINDOWS\r\n");
  ui.dialogs.answers = {ui::DialogAnswer::No};
  Load();
  EXPECT_TRUE(ui.dialogs.WasShown("Special.txt exists. Do you want to overwrite the file?"));
  EXPECT_EQ(LinesOf(base.SpecialList()), (Lines{"old.exe\tWINDOWS"}));
  EXPECT_FALSE(platform::FileExists(dir.file("Special.txt")));

  WriteFile(dir.file("Special.txt"), "old.exe\tWINDOWS\r\n");
  ui.dialogs.answers = {ui::DialogAnswer::Yes};
  base = KnowledgeBase();
  Load();
  EXPECT_EQ(LinesOf(base.SpecialList()), (Lines{"new.exe\tPROGRAMS\t/new"}));

  // Cancel ends the extraction with an error: logged, list empty, and the
  // user's file, which this extraction did not write, kept as it was.
  WriteFile(dir.file("Special.txt"), "old.exe\tWINDOWS\r\n");
  ui.dialogs.answers = {ui::DialogAnswer::Cancel};
  base = KnowledgeBase();
  Load();
  EXPECT_TRUE(Logged("Could not extract Proc4.pck : Extract operation cancelled"));
  EXPECT_TRUE(base.SpecialList().Empty());
  EXPECT_EQ(ReadFile(dir.file("Special.txt")), "old.exe\tWINDOWS\r\n");
}

TEST_F(LoadKnowledge, SpywareDataFromLastYearIsTooOld) {
  AddArchive("Proc2.pck", "Proclist.txt", "h\r\n");
  SetLocalModificationTime(dir.file("Proc2.pck"), 2025, 12, 31, 23, 30);
  clock.now = platform::LocalTime{2026, 1, 1, 0, 5, 0, 4};
  EXPECT_EQ(ui.mainWindow.infoLabel, "You can read about important information here :");
  Load();
  EXPECT_TRUE(base.DataTooOld());
  EXPECT_EQ(ui.mainWindow.infoLabel, "The spyware Data files is to old !! Please update");
  EXPECT_FALSE(Logged("The spyware Data files is to old !! "));  // the main cycle writes the warning

  WriteDataAgeWarning(log);
  const Lines m = Messages();
  EXPECT_EQ(Lines(m.end() - 3, m.end()),
            (Lines{"The spyware Data files is to old !! ",
                   "  Please update the Spyware data files to get the best protection from Spywares",
                   "The spyware Data files is to old !! Please update"}));

  // Thirty days within one year is fine.
  base = KnowledgeBase();
  ui.mainWindow.infoLabel = "unchanged";
  SetLocalModificationTime(dir.file("Proc2.pck"), 2026, 2, 8, 12, 0);
  clock.now = platform::LocalTime{2026, 3, 10, 12, 0, 0, 2};
  Load();
  EXPECT_FALSE(base.DataTooOld());
  EXPECT_EQ(ui.mainWindow.infoLabel, "unchanged");
}

TEST(DataAge, LimitInPackedUnits) {
  const auto pack = [](int y, int mo, int d) { return platform::PackDosDateTime(y, mo, d, 10, 0, 0); };
  // One month counts 32 days of 65 536: 59 packed days pass, 60 do not.
  EXPECT_FALSE(IsSpywareDataTooOld(pack(2026, 3, 1), pack(2026, 4, 28)));
  EXPECT_TRUE(IsSpywareDataTooOld(pack(2026, 3, 1), pack(2026, 4, 29)));
  EXPECT_TRUE(IsSpywareDataTooOld(pack(2025, 12, 31), pack(2026, 1, 1)));
  EXPECT_FALSE(IsSpywareDataTooOld(pack(2026, 5, 1), pack(2026, 3, 1)));   // dated in the future
  EXPECT_FALSE(IsSpywareDataTooOld(-1, pack(2026, 3, 1)));                 // date unreadable
  EXPECT_TRUE(IsSpywareDataTooOld(pack(2043, 12, 31), pack(2044, 1, 1)));  // top bit set
  // The exact edge: a difference of 3 901 000 is over, 3 900 999 is not.
  EXPECT_TRUE(IsSpywareDataTooOld(0, 3901000));
  EXPECT_FALSE(IsSpywareDataTooOld(0, 3900999));
}

TEST(SpywareMarker, TwoLeadingCharactersTrimmedMustBeX) {
  EXPECT_TRUE(IsSpywareMarked("X\tName\tspy.exe\t"));
  EXPECT_TRUE(IsSpywareMarked("x\tName\tspy.exe\t"));
  EXPECT_TRUE(IsSpywareMarked(" X\tName"));
  EXPECT_TRUE(IsSpywareMarked("X \tName"));
  EXPECT_FALSE(IsSpywareMarked("Xa\tName"));
  EXPECT_FALSE(IsSpywareMarked("X\t"));  // one character once trimmed
  EXPECT_FALSE(IsSpywareMarked("X"));
  EXPECT_TRUE(IsSpywareMarked("\tX\tName"));  // the TAB in front is trimmed too
  EXPECT_FALSE(IsSpywareMarked(""));
}

}  // namespace
}  // namespace vz::knowledge
