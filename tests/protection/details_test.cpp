#include <gtest/gtest.h>

#include "inventory/ProcessList.h"
#include "knowledge/TextList.h"
#include "platform/testing/FakeProcesses.h"
#include "protection/DescriptionLink.h"
#include "protection/ExclusionList.h"
#include "protection/ProcessDetails.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::protection {
namespace {

class DetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Start(5, "notepad.exe", "/opt/win/notepad.exe", platform::PriorityClass::High);
    fake.Start(6, "mystery");
    fake.Start(7, "writer.exe", "/opt/writer/writer.exe");
    fake.Start(8, "editor.exe", "/opt/editor.exe");
    list.SetForceRefresh(true);
    list.RefreshProcessList();
    known.LoadFromText(
        "Y\tNote Pad\tNOTEPAD.EXE\tPlain text editor.\r\n"
        "\t\t\tSecond line of it.\r\n"
        "\t\t\t(\"http://example.com/notepad\") Third line with a link.\r\n"
        "Y\tOther\tother.exe\tMentions mystery in passing and writer.exe too.\r\n"
        "Y\tWriter\twriter.exe\tWord processor.\r\n"
        "\t\t\tMore about it.\r\n"
        "Y\tEditor\teditor.exe\tAn editor.\r\n");
  }

  const ProcessDetails& Select(int position) {
    list.Select(position);
    panel.ShowProcessDetails();
    return panel.Details();
  }

  platform::testing::FakeProcesses fake;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  inventory::ProcessList list{fake, *ports.mainWindow};
  ProcessTermination termination{fake, list, ports};
  knowledge::TextList known;
  ProcessDetailsPanel panel{list, known, ports, termination, platform::LinuxPathConventions()};
};

TEST_F(DetailsTest, EntryOverSeveralLinesWithItsLink) {
  const ProcessDetails& d = Select(0);
  EXPECT_EQ(d.desc1, "Note Pad");
  EXPECT_EQ(d.desc2, "NOTEPAD.EXE");
  EXPECT_EQ(d.desc3, "High");
  EXPECT_EQ(d.desc4, "Process ID : 5");
  EXPECT_EQ(d.desc5, "/opt/win/notepad.exe");
  EXPECT_EQ(d.desc10, "Plain text editor.\r\nSecond line of it.\r\n Third line with a link.\r\n");
  EXPECT_EQ(d.urlen, "http://example.com/notepad");
  EXPECT_TRUE(d.showKill && d.showMoreInfo && d.showOpenFolder);
}

TEST_F(DetailsTest, ThePanelFollowsItsProcessThroughARebuildAndEmptiesWhenItEnds) {
  list.SetOnSelectionRebuilt([this] { panel.ShowProcessDetails(); });
  Select(2);
  ASSERT_EQ(panel.Details().desc1, "Writer");
  // A process before it ends: the panel still describes writer.exe, now on row 1.
  fake.End(6);
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), 1);
  EXPECT_EQ(panel.Details().desc4, "Process ID : 7");
  // writer.exe ends: nothing is described and nothing offered.
  fake.End(7);
  list.RefreshProcessList();
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_EQ(panel.Details().desc1, "");
  EXPECT_EQ(panel.Details().desc5, "");
  EXPECT_FALSE(panel.Details().showKill || panel.Details().showMoreInfo || panel.Details().showOpenFolder);
  // "Kill Process" then asks nothing and ends nothing.
  panel.KillProcess();
  EXPECT_TRUE(front.dialogs.shown.empty());
}

TEST_F(DetailsTest, NameOnlyInsideOtherTextsIsUnknownAndNoPathHidesTheFolderButton) {
  const ProcessDetails& d = Select(1);
  EXPECT_EQ(d.desc1, "mystery");
  EXPECT_EQ(d.desc2, "mystery");
  EXPECT_EQ(d.desc10, "Unknown");
  EXPECT_EQ(d.urlen, "");
  EXPECT_FALSE(d.showOpenFolder);
  EXPECT_TRUE(d.showKill);
}

TEST_F(DetailsTest, FirstMatchInAnotherEntryIsSkippedForTheRealOne) {
  const ProcessDetails& d = Select(2);
  EXPECT_EQ(d.desc1, "Writer");
  EXPECT_EQ(d.desc10, "Word processor.\r\nMore about it.\r\n");
}

TEST_F(DetailsTest, LastLineOfTheListUsesOnlyTheEntrysFirstLine) {
  const ProcessDetails& d = Select(3);
  EXPECT_EQ(d.desc1, "Editor");
  EXPECT_EQ(d.desc10, "An editor.\r\n");
}

TEST_F(DetailsTest, ButtonsOpenTheFolderTheSearchAndTheLink) {
  Select(0);
  panel.OpenContainingFolder();
  panel.MoreInfo();
  panel.OpenLink();
  EXPECT_EQ(front.browser.foldersOpened, std::vector<std::string>{"/opt/win/"});
  ASSERT_EQ(front.browser.opened.size(), 2u);
  EXPECT_NE(front.browser.opened[0].find("/search?q=notepad.exe"), std::string::npos);
  EXPECT_EQ(front.browser.opened[1], "http://example.com/notepad");
  // Without a selection nothing is searched.
  list.Select(-1);
  panel.MoreInfo();
  EXPECT_EQ(front.browser.opened.size(), 2u);
}

TEST(DescriptionLink, SplitsTheQuotedLinkFromItsText) {
  LinkAndRest a = SplitProcessDescriptionLink("(\"http://x.example/a\") text");
  EXPECT_EQ(a.link, "http://x.example/a");
  EXPECT_EQ(a.rest, " text");
  LinkAndRest b = SplitProcessDescriptionLink("no link here");
  EXPECT_EQ(b.link, "");
  EXPECT_EQ(b.rest, "no link here");
  // The text before the first quote is the link when it holds one; "(" is dropped.
  LinkAndRest c = SplitProcessDescriptionLink("(http://y.example) see \"quoted\"");
  EXPECT_EQ(c.link, "http://y.example) see ");
  EXPECT_EQ(c.rest, " see \"quoted\"");
  // HTTP:// in capitals counts; without it there is no link.
  EXPECT_EQ(SplitProcessDescriptionLink("(\"HTTP://Z.EXAMPLE\")t").link, "HTTP://Z.EXAMPLE");
  EXPECT_EQ(SplitProcessDescriptionLink("(\"ftp://z\") x \"y\" http://q").link, "");
}

TEST(ExclusionList, LoadsLinesMatchesWithoutCaseAndSavesEverything) {
  testsupport::TempDir dir;
  ExclusionList missing{platform::LinuxPathConventions()};
  missing.Load(dir.file("EXCFDir.QVA"));
  EXPECT_FALSE(missing.IsExcluded("/opt", "x"));
  testsupport::WriteFile(dir.file("EXCFDir.QVA"), "");
  ExclusionList empty{platform::LinuxPathConventions()};
  empty.Load(dir.file("EXCFDir.QVA"));
  EXPECT_EQ(empty.Entries().Count(), 0u);

  testsupport::WriteFile(dir.file("EXCFDir.QVA"), "/OPT/PROGRAM/X.EXE\r\n");
  ExclusionList list{platform::LinuxPathConventions()};
  list.Load(dir.file("EXCFDir.QVA"));
  EXPECT_TRUE(list.IsExcluded("/opt/program", "x.exe"));
  EXPECT_TRUE(list.IsExcluded("/opt/program/", "x.ex"));
  ASSERT_TRUE(list.AddExclusion("/srv/tools", dir.file("EXCFDir.QVA")));
  EXPECT_EQ(testsupport::ReadFile(dir.file("EXCFDir.QVA")), "/OPT/PROGRAM/X.EXE\r\n/srv/tools\r\n");
  // An entry naming only a folder excludes nothing inside it.
  EXPECT_FALSE(list.IsExcluded("/srv/tools", "scan"));
  // A failed save keeps the entry in memory and says why.
  std::string error;
  EXPECT_FALSE(list.AddExclusion("/srv/other", dir.file("no/such/EXCFDir.QVA"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(list.IsExcluded("/srv", "other"));
}

}  // namespace
}  // namespace vz::protection
