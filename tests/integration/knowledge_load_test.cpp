// The start-up load from real packed archives through the real extraction
// component: a member left over from an interrupted run, and a damaged archive.
#include <gtest/gtest.h>

#include "app/ResourceExtractor.h"
#include "archive/ArchiveExtraction.h"
#include "knowledge/KnowledgeLoader.h"
#include "log/ShieldLog.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz {
namespace {

using testsupport::PackArchive;
using testsupport::TempDir;

// The real extraction component behind the adapter the shield uses.
class RealExtractor final : public knowledge::ArchiveExtractor {
 public:
  explicit RealExtractor(ui::Dialogs& dialogs) : resource_(dialogs) {}
  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder,
                             const std::string& fileName, std::vector<std::string>& placed) override {
    adapter_.DecompressFromArchive(archivePath, destFolder, fileName, placed);
  }

 private:
  archive::ArchiveExtraction resource_;
  app::ResourceExtractor adapter_{resource_};
};

class KnowledgeLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tSpy\tspy.exe\tWatches\r\nX\tOther\tother.exe\tToo\r\n");
    PackArchive(app.file("Proc4.pck"), "Special.txt", "new.exe\tSYSTEM32\r\n");
  }
  void Load() {
    RealExtractor extractor(front.dialogs);
    knowledge::LoadEnvironment env{app.path(), extractor, log, front.mainWindow, front.events, platform::SystemClock()};
    knowledge::LoadKnowledgeBase(base, env);
  }

  TempDir app;
  ui::scripted::ScriptedFrontEnd front;
  log::ShieldLog log;
  knowledge::KnowledgeBase base;
};

TEST_F(KnowledgeLoad, ListsComeFromTheArchivesAndTheMembersAreRemoved) {
  Load();
  EXPECT_EQ(base.SpywareCount(), 1);
  EXPECT_EQ(base.AllKnownList().Count(), 3u);  // the known line, then the spyware appended
  EXPECT_EQ(base.SpecialList().Text(), "new.exe\tSYSTEM32\r\n");
  EXPECT_TRUE(front.dialogs.shown.empty());
  for (const char* member : {"Proclist_noharm.txt", "Proclist.txt", "Special.txt"})
    EXPECT_FALSE(platform::FileExists(app.file(member))) << member;
  EXPECT_NE(log.Entries().front().find("Known Spyware : 1 of 2 Known"), std::string::npos);
}

TEST_F(KnowledgeLoad, LeftOverSpecialListIsOverwrittenOnlyAfterYes) {
  testsupport::WriteFile(app.file("Special.txt"), "old.exe\tWINDOWS\r\n");
  front.dialogs.answers = {ui::DialogAnswer::No};
  Load();
  ASSERT_FALSE(front.dialogs.shown.empty());
  EXPECT_EQ(front.dialogs.shown[0].caption, "Warning");
  EXPECT_EQ(front.dialogs.shown[0].buttons, ui::DialogButtons::YesNoCancel);
  EXPECT_EQ(base.SpecialList().Text(), "old.exe\tWINDOWS\r\n");

  testsupport::WriteFile(app.file("Special.txt"), "old.exe\tWINDOWS\r\n");
  knowledge::KnowledgeBase fresh;
  base = fresh;
  front.dialogs.answers = {ui::DialogAnswer::Yes};
  Load();
  EXPECT_EQ(base.SpecialList().Text(), "new.exe\tSYSTEM32\r\n");

  // Cancel ends that extraction with an error; the user's file, which it did
  // not write, stays exactly as it was.
  testsupport::WriteFile(app.file("Special.txt"), "mine.exe\tWINDOWS\r\n");
  base = fresh;
  front.dialogs.answers = {ui::DialogAnswer::Cancel};
  Load();
  EXPECT_TRUE(base.SpecialList().Empty());
  EXPECT_EQ(testsupport::ReadFile(app.file("Special.txt")), "mine.exe\tWINDOWS\r\n");
}

TEST_F(KnowledgeLoad, DamagedAndMissingArchivesAreLoggedAndLoadingGoesOn) {
  std::string damaged = testsupport::ReadFile(app.file("Proc2.pck"));
  damaged[30] = static_cast<char>(damaged[30] ^ 0x5A);  // inside the first block's payload
  damaged.replace(4, 4, "XXXX");                          // and its block signature
  testsupport::WriteFile(app.file("Proc2.pck"), damaged);
  platform::RemoveFile(app.file("Proc1.pck"));
  Load();
  bool namedTheArchive = false;
  for (const auto& line : log.Entries())
    if (line.find("Proc2.pck") != std::string::npos && line.find("Wrong Signature") != std::string::npos)
      namedTheArchive = true;
  EXPECT_TRUE(namedTheArchive);
  EXPECT_EQ(base.SpywareList().Count(), 0u);
  EXPECT_EQ(base.AllKnownList().Count(), 0u);
  // The stage after the damaged one still ran.
  EXPECT_EQ(base.SpecialList().Text(), "new.exe\tSYSTEM32\r\n");
  EXPECT_NE(log.Entries().front().find("Known Spyware : 0 of 0 Known"), std::string::npos);
}

}  // namespace
}  // namespace vz
