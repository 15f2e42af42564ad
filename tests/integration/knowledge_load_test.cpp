// The start-up load from real packed archives through the real extraction
// component: a member left over from an interrupted run, and a damaged archive.
#include <gtest/gtest.h>
#include <sys/stat.h>

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
  std::int64_t MemberSize(const std::string& archivePath, const std::string& member) override {
    return adapter_.MemberSize(archivePath, member);
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

// The spyware archive's directory only gives the room the known list is read
// with: one that claims a member of 960 MiB (room reserved, never touched), or a FIFO in the archive's
// place, changes nothing about what is loaded from the known list.
TEST_F(KnowledgeLoad, TheSpywareArchiveCannotTurnTheSizeHintAgainstTheLoad) {
  const std::string packed = testsupport::ReadFile(app.file("Proc2.pck"));
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(packed[i])); };
  const std::size_t directory = byteAt(packed.size() - 4) | byteAt(packed.size() - 3) << 8 |
                                byteAt(packed.size() - 2) << 16 | byteAt(packed.size() - 1) << 24;
  std::string lying = packed;
  lying.replace(directory + 8, 4, std::string("\x00\x00\x00\x3C", 4));  // FileSize 960 MiB
  testsupport::WriteFile(app.file("Proc2.pck"), lying);
  archive::ArchiveExtraction resource(front.dialogs);
  app::ResourceExtractor probe(resource);
  EXPECT_EQ(probe.MemberSize(app.file("Proc2.pck"), "Proclist.txt"), 0x3C000000);
  Load();
  EXPECT_EQ(base.AllKnownList()[0], "Y\tBash\tbash\tThe shell");

  platform::RemoveFile(app.file("Proc2.pck"));
  ASSERT_EQ(::mkfifo(app.file("Proc2.pck").c_str(), 0600), 0);
  EXPECT_EQ(probe.MemberSize(app.file("Proc2.pck"), "Proclist.txt"), 0);
  base = knowledge::KnowledgeBase();
  Load();
  EXPECT_EQ(base.AllKnownList().Count(), 1u);
  EXPECT_EQ(base.SpywareList().Count(), 0u);
}

}  // namespace
}  // namespace vz
