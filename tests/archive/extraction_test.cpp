#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveErrors.h"
#include "archive/ArchiveExtraction.h"
#include "platform/FileMetadata.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::archive {
namespace {

using testing::Packed;
using testing::PackArchive;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using ui::DialogAnswer;
using ui::scripted::ScriptedDialogs;

std::string TextOf(size_t size, unsigned seed) {
  static const char* words[] = {"spyware\t", "adware.exe\t", "Trojan ", "keylogger ", "\r\n", "C:\\Windows\\", "run32 "};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) text += words[random() % 7];
  text.resize(size);
  return text;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Extraction {
  ScriptedDialogs dialogs;
  ArchiveExtraction resource{dialogs};
  std::vector<std::string> log;
  Extraction() {
    resource.SetOnAddLog([this](ArchiveManager&, const std::string& line) { log.push_back(line); });
  }
  bool Logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }
};

TEST(Extraction, MultiFileArchiveRoundTripsWithDatesAndAttributes) {
  TempDir dir;
  const std::string big = TextOf(3 * 409600 + 12345, 1);
  PackArchive(dir.file("Proc1.pck"), {{"Proclist.txt", big, 0x5A8B6C21, 0x22},
                                      {"empty.txt", "", 0x4B2A0000, 0x20},
                                      {"lists\\one.txt", "x", 0x5A8B6C22, 0x01}});
  std::filesystem::create_directory(dir.file("out"));
  Extraction x;
  ExtractionSummary summary = x.resource.DecompressFromArchive(dir.file("Proc1.pck"), dir.file("out"), "");
  EXPECT_TRUE(x.dialogs.shown.empty());
  EXPECT_EQ(summary.filesExtracted, 3);
  EXPECT_EQ(summary.bytesExtracted, static_cast<std::int32_t>(big.size() + 1));
  EXPECT_EQ(FilesIn(dir.file("out")), (std::vector<std::string>{"Proclist.txt", "empty.txt", "one.txt"}));
  EXPECT_EQ(ReadFile(dir.file("out/Proclist.txt")), big);
  EXPECT_EQ(ReadFile(dir.file("out/empty.txt")), "");
  EXPECT_EQ(ReadFile(dir.file("out/one.txt")), "x");
  // Dates to the 2-second step; read-only from the permission bits.
  EXPECT_EQ(platform::FileDateOf(dir.file("out/Proclist.txt")), 0x5A8B6C21);
  EXPECT_EQ(platform::FileDateOf(dir.file("out/one.txt")), 0x5A8B6C22);
  EXPECT_EQ(platform::DosAttributesOf(dir.file("out/one.txt")) & platform::kAttrReadOnly, platform::kAttrReadOnly);
  EXPECT_EQ(platform::DosAttributesOf(dir.file("out/Proclist.txt")) & platform::kAttrReadOnly, 0u);
  if (platform::DosAttributesOf(dir.file("out/empty.txt")) != 0) {  // the file system keeps user attributes
    EXPECT_EQ(platform::DosAttributesOf(dir.file("out/Proclist.txt")), 0x22u);
  }
  EXPECT_TRUE(x.Logged("ArchiveMan: Archive Opened - " + dir.file("Proc1.pck")));
  EXPECT_TRUE(x.Logged("ArchiveMan: CentralDir Loaded"));
  EXPECT_TRUE(x.Logged("ArchiveMan: Total number of blocks - 4"));
  EXPECT_TRUE(x.Logged("ArchiveMan: Total number of blocks - 0"));
  EXPECT_TRUE(x.Logged("ArchiveMan: Block 3 Expand and CRC32 Check OK."));
  EXPECT_TRUE(x.Logged("ArchiveMan: Extracting " + dir.file("out/Proclist.txt")));
  EXPECT_EQ(x.log.back(), "ArchiveMan: Archive Closed - " + dir.file("Proc1.pck"));
}

TEST(Extraction, NamedFileTakesTheFirstMatchAndMissingNamesSayNothingWasExtracted) {
  TempDir dir;
  PackArchive(dir.file("a.pck"), {{"first\\Same.TXT", "one"}, {"second\\same.txt", "two"}, {"other", "3"}});
  {
    Extraction x;
    // No trailing separator here; the next call gives one: the same paths result.
    auto summary = x.resource.DecompressFromArchive(dir.file("a.pck"), dir.path().substr(0, dir.path().size() - 1), "SAME.txt");
    EXPECT_EQ(summary.filesExtracted, 1);
    EXPECT_EQ(ReadFile(dir.file("Same.TXT")), "one");
    EXPECT_FALSE(std::filesystem::exists(dir.file("other")));
  }
  {
    Extraction x;
    auto summary = x.resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "missing.txt");
    EXPECT_EQ(summary.filesExtracted, 0);
    ASSERT_EQ(x.dialogs.shown.size(), 1u);
    EXPECT_EQ(x.dialogs.shown[0].text, "Error: No files extracted");
  }
  {
    Extraction x;
    auto summary = x.resource.DecompressFromArchive(dir.file("none.pck"), dir.path(), "");
    EXPECT_FALSE(summary.archiveFound);
    ASSERT_EQ(x.dialogs.shown.size(), 1u);
    EXPECT_EQ(x.dialogs.shown[0].caption, "Error");
    EXPECT_EQ(x.dialogs.shown[0].text, "Tessera.DecompressFromArchive: Archive file does not exist.");
  }
}

TEST(Extraction, OverwritePromptYesNoCancel) {
  TempDir dir;
  PackArchive(dir.file("a.pck"), {{"a.txt", "new a", 0x5A8B6C21, 0x01}, {"b.txt", "new b"}, {"c.txt", "new c"}});
  WriteFile(dir.file("a.txt"), "old a");
  WriteFile(dir.file("b.txt"), "old b");
  ::chmod(dir.file("a.txt").c_str(), 0444);
  {
    Extraction x;
    x.dialogs.answers = {DialogAnswer::Yes, DialogAnswer::No};
    auto summary = x.resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "");
    EXPECT_EQ(summary.filesExtracted, 2);
    ASSERT_EQ(x.dialogs.shown.size(), 2u);
    EXPECT_EQ(x.dialogs.shown[0].caption, "Warning");
    EXPECT_EQ(x.dialogs.shown[0].text, "The file " + dir.file("a.txt") + " exists. Do you want to overwrite the file?");
    EXPECT_EQ(x.dialogs.shown[0].buttons, ui::DialogButtons::YesNoCancel);
  }
  EXPECT_EQ(ReadFile(dir.file("a.txt")), "new a");  // read-only before, overwritten after Yes
  EXPECT_NE(platform::DosAttributesOf(dir.file("a.txt")) & platform::kAttrReadOnly, 0u);  // read-only again
  EXPECT_EQ(ReadFile(dir.file("b.txt")), "old b");
  EXPECT_EQ(ReadFile(dir.file("c.txt")), "new c");
  {
    // The second run prompts for each existing file; Cancel ends it all.
    Extraction x;
    x.dialogs.answers = {DialogAnswer::No, DialogAnswer::Cancel};
    try {
      x.resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "");
      FAIL() << "Cancel must raise UserCancel";
    } catch (const UserCancel& e) {
      EXPECT_STREQ(e.what(), "Extract operation cancelled");
    }
    EXPECT_EQ(x.dialogs.shown.size(), 2u);
    EXPECT_FALSE(x.resource.Manager().IsArchiveOpen());
  }
}

TEST(Extraction, ArchiveNameWithoutExtensionAsksToCreateATqArchive) {
  TempDir dir;
  WriteFile(dir.file("data"), "not an archive");
  {
    Extraction x;
    x.dialogs.answers = {DialogAnswer::No};
    try {
      x.resource.DecompressFromArchive(dir.file("data"), dir.path(), "");
      FAIL();
    } catch (const UserCancel& e) {
      EXPECT_STREQ(e.what(), "Create new archive cancelled");
    }
    ASSERT_EQ(x.dialogs.shown.size(), 1u);
    EXPECT_EQ(x.dialogs.shown[0].caption, "Create new archive?");
    EXPECT_EQ(x.dialogs.shown[0].text,
              "The archive file " + dir.file("data.tq") + " does not exist. Do you want to create a new file?");
  }
  Extraction x;
  x.dialogs.answers = {DialogAnswer::Yes};
  x.resource.DecompressFromArchive(dir.file("data"), dir.path(), "");
  EXPECT_EQ(ReadFile(dir.file("data.tq")).size(), 16u);
  EXPECT_TRUE(x.dialogs.WasShown("Error: No files extracted"));
}

TEST(Extraction, EntryNamesThatLeaveTheFolderAreRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  PackArchive(dir.file("a.pck"), {{"..", "dots"}, {"x\\../evil.txt", "evil"}, {"dir\\", "empty name"},
                                  {"/tmp/abs.txt", "abs"}, {".", "dot"}, {"good.txt", "good"}});
  Extraction x;
  auto summary = x.resource.DecompressFromArchive(dir.file("a.pck"), dir.file("out"), "");
  EXPECT_EQ(summary.filesExtracted, 1);
  EXPECT_EQ(FilesIn(dir.file("out")), std::vector<std::string>{"good.txt"});
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"a.pck", "out"}));
  EXPECT_EQ(x.dialogs.shown.size(), 5u);
  EXPECT_TRUE(x.dialogs.WasShown("does not name a plain file"));
}

}  // namespace
}  // namespace vz::archive

namespace vz::archive {
namespace {

TEST(Extraction, BusyCursorAndMessagePumpFrameTheExtraction) {
  TempDir dir;
  PackArchive(dir.file("a.pck"), {{"big.txt", TextOf(2 * 409600 + 5, 4)}, {"b.txt", "b"}});
  ScriptedDialogs dialogs;
  ui::scripted::CountingEventPump pump;
  ArchiveExtraction resource(dialogs, &pump);
  std::vector<bool> cursor;
  resource.onBusyCursor = [&](bool busy) { cursor.push_back(busy); };
  std::vector<std::int32_t> progress;
  resource.Manager().OnShowProgress = [&](ArchiveManager&, std::int32_t percent) { progress.push_back(percent); };
  resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "");
  EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
  EXPECT_EQ(pump.calls, 4);  // after each of the 3 + 1 blocks
  EXPECT_EQ(progress, (std::vector<std::int32_t>{0, 33, 66, 100, 0, 100}));
  // Cancel at the overwrite prompt: the exception passes, the cursor is reset.
  cursor.clear();
  EXPECT_THROW(resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), ""), UserCancel);
  EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
}

TEST(Extraction, LongNamesAreBuiltOrRefusedByTheFileSystem) {
  TempDir dir;
  const std::string longest(255, 'n');
  PackArchive(dir.file("a.pck"), {{longest, "fits"}, {std::string(300, 'm'), "too long"}});
  Extraction x;
  try {
    x.resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "");
    FAIL() << "a name the file system cannot hold must fail";
  } catch (const InOutError& e) {
    EXPECT_NE(std::string(e.what()).find("File name too long"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFile(dir.file(longest)), "fits");
  EXPECT_EQ(FilesIn(dir.path()).size(), 2u);  // the archive and the first file, no temporary left
}

}  // namespace
}  // namespace vz::archive
