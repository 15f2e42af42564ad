// The PE version-resource reader on PE images built here, and on files that
// are not Windows programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "platform/VersionInfo.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/testing/PeImageBuilder.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testing::BuildPeImage;
using testing::BuildVersionBlock;
using testing::VersionResourceLayout;
using testsupport::ChildProcess;
using testsupport::ReturnsPromptly;
using testsupport::TempDir;
using testsupport::WriteFile;

VersionResourceLayout FullLayout() {
  VersionResourceLayout layout;
  for (int i = 0; i < 10; ++i) layout.strings.push_back({kVersionInfoKeys[i], std::string("value of ") + kVersionInfoKeys[i]});
  layout.strings[0].second = "Microsoft Corporation";
  layout.strings[9].second = "Grüße © 2004 \xF0\x9F\x98\x80";  // non-ASCII and a surrogate pair
  return layout;
}

TEST(VersionInfo, ReadsAllTenFieldsFromAPeFile) {
  TempDir dir;
  for (bool pe32Plus : {false, true}) {
    std::string path = dir.file(pe32Plus ? "app64.exe" : "app.exe");
    WriteFile(path, BuildPeImage(BuildVersionBlock(FullLayout()), pe32Plus));
    FileVersionInfo info = ReadVersionInfo(path);
    EXPECT_EQ(info.CompanyName, "Microsoft Corporation");
    EXPECT_EQ(info.FileDescription, "value of FileDescription");
    EXPECT_EQ(info.LegalCopyRight, "value of LegalCopyRight");
    EXPECT_EQ(info.ProductVersion, "value of ProductVersion");
    EXPECT_EQ(info.Comments, "Grüße © 2004 \xF0\x9F\x98\x80");
  }
  // The lower layers, as the classification's steps use them.
  auto block = GetFileVersionInfoBlock(dir.file("app.exe"));
  ASSERT_TRUE(block);
  EXPECT_EQ(QueryFirstTranslation(*block), 0x04B00409u);
  EXPECT_EQ(QueryVersionString(*block, "\\StringFileInfo\\040904B0\\InternalName"), "value of InternalName");
  EXPECT_EQ(QueryVersionString(*block, "\\stringfileinfo\\040904b0\\internalname"), "value of InternalName");
  EXPECT_EQ(QueryVersionString(*block, "\\StringFileInfo\\040904B0\\NoSuchKey"), std::nullopt);
  auto fixed = QueryVersionValue(*block, "\\");
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->size(), 52u);
  EXPECT_EQ(fixed->substr(0, 4), std::string("\xBD\x04\xEF\xFE", 4));
}

TEST(VersionInfo, FirstTranslationChoosesTheStringTable) {
  // German, code page 1252, with a lower-case table name.
  VersionResourceLayout layout;
  layout.strings = {{"CompanyName", "Beispiel GmbH"}, {"ProductName", ""}};
  layout.table = "040704e4";
  layout.translations = {0x04E40407, 0x04B00409};
  layout.valueLengthInBytes = true;
  FileVersionInfo info = VersionInfoFromBlock(BuildVersionBlock(layout));
  EXPECT_EQ(info.CompanyName, "Beispiel GmbH");
  EXPECT_EQ(info.ProductName, "");

  // Only the first translation is tried: a table for the second is not found.
  layout.translations = {0x04B00409, 0x04E40407};
  EXPECT_EQ(VersionInfoFromBlock(BuildVersionBlock(layout)), FileVersionInfo{});
  // No translation at all: nothing.
  layout.translations = {};
  EXPECT_EQ(VersionInfoFromBlock(BuildVersionBlock(layout)), FileVersionInfo{});
}

TEST(VersionInfo, FilesWithoutVersionInformationGiveEmptyFields) {
  TempDir dir;
  WriteFile(dir.file("noversion.exe"), BuildPeImage(std::nullopt));
  WriteFile(dir.file("readme.txt"), "MZ is how this text starts, but it is no program.\n");
  WriteFile(dir.file("empty"), "");
  for (const char* name : {"noversion.exe", "readme.txt", "empty", "missing.exe"})
    EXPECT_EQ(ReadVersionInfo(dir.file(name)), FileVersionInfo{}) << name;
  // The running test program is an ELF file; an empty path means it.
  EXPECT_EQ(ReadVersionInfo(""), FileVersionInfo{});
  EXPECT_EQ(ReadVersionInfo("/proc/self/exe"), FileVersionInfo{});
}

TEST(VersionInfo, TruncatedAndCorruptedImagesNeverCrash) {
  std::string versionBlock = BuildVersionBlock(FullLayout());
  std::string image = BuildPeImage(versionBlock);
  ASSERT_TRUE(ExtractVersionBlock(image));
  std::size_t blockStart = image.find(versionBlock);
  ASSERT_NE(blockStart, std::string::npos);
  // Every truncation before the end of the version data loses it.
  for (std::size_t size = 0; size < blockStart + versionBlock.size(); ++size)
    EXPECT_FALSE(ExtractVersionBlock(std::string_view(image).substr(0, size))) << size;
  // Every byte set to 0xFF in turn.
  for (std::size_t at = 0; at < image.size(); ++at) {
    std::string bad = image;
    bad[at] = '\xFF';
    if (auto block = ExtractVersionBlock(bad)) VersionInfoFromBlock(*block);
    if (at >= blockStart) VersionInfoFromBlock(std::string_view(bad).substr(blockStart));
  }
  // A block whose lengths point past its end.
  std::string block = BuildVersionBlock(FullLayout());
  block[0] = '\xFF';
  block[1] = '\xFF';
  EXPECT_EQ(VersionInfoFromBlock(block), FileVersionInfo{});
}

TEST(VersionInfo, AProgramPathHoldingAFifoALinkOrAHugeFileIsReadSafely) {
  TempDir dir;
  const std::string program = BuildPeImage(BuildVersionBlock(FullLayout()));
  WriteFile(dir.file("real.exe"), program);
  ASSERT_EQ(::mkfifo(dir.file("fifo.exe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("device.exe").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("real.exe").c_str(), dir.file("link.exe").c_str()), 0);
  FileVersionInfo fromFifo;
  fromFifo.CompanyName = "not read";
  EXPECT_TRUE(ReturnsPromptly([&] { fromFifo = ReadVersionInfo(dir.file("fifo.exe")); }, dir.file("fifo.exe")));
  EXPECT_EQ(fromFifo, FileVersionInfo{});
  EXPECT_EQ(ReadVersionInfo(dir.file("device.exe")), FileVersionInfo{});
  // A link put at a program's path is not followed, whatever it leads to.
  EXPECT_EQ(ReadVersionInfo(dir.file("link.exe")), FileVersionInfo{});
  EXPECT_EQ(ReadVersionInfo(dir.file("real.exe")).CompanyName, "Microsoft Corporation");

  // A 4 GB file (sparse: it takes no room) holding a program at its start:
  // only its headers and resource are read.
  WriteFile(dir.file("huge.exe"), program);
  ASSERT_EQ(::truncate(dir.file("huge.exe").c_str(), std::int64_t{4} << 30), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadVersionInfo(dir.file("huge.exe")).CompanyName, "Microsoft Corporation");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(VersionInfo, ARunningProgramIsReadFromWhatRunsNotFromWhatItsPathNowHolds) {
  TempDir dir;
  ChildProcess child(dir.path(), "tool.exe");
  auto processes = CreateProcfsProcessPlatform();
  auto opened = processes->OpenProcess(static_cast<Pid>(child.pid()));
  ASSERT_TRUE(opened);
  ProgramFile running{child.path(), static_cast<std::uint32_t>(child.pid()), opened->startTime};

  // The file that runs is replaced by one claiming to be Microsoft's: what
  // runs (a program without version information) is what counts.
  ASSERT_EQ(::unlink(child.path().c_str()), 0);
  WriteFile(child.path(), BuildPeImage(BuildVersionBlock(FullLayout())));
  EXPECT_EQ(ReadProgramVersionInfo(running), FileVersionInfo{});
  // A PID that now names another process (another start time) is not read:
  // the path is.
  ProgramFile reused = running;
  reused.startTime += 1;
  EXPECT_EQ(ReadProgramVersionInfo(reused).CompanyName, "Microsoft Corporation");

  // The path deleted and a FIFO put there: neither while it runs nor after
  // it ended does reading wait on it.
  ASSERT_EQ(::unlink(child.path().c_str()), 0);
  ASSERT_EQ(::mkfifo(child.path().c_str(), 0600), 0);
  FileVersionInfo info;
  info.CompanyName = "not read";
  EXPECT_TRUE(ReturnsPromptly([&] { info = ReadProgramVersionInfo(running); }, child.path()));
  EXPECT_EQ(info, FileVersionInfo{});
  child.Kill();
  ASSERT_TRUE(child.WaitForExit(5000));
  info.CompanyName = "not read";
  EXPECT_TRUE(ReturnsPromptly([&] { info = ReadProgramVersionInfo(running); }, child.path()));
  EXPECT_EQ(info, FileVersionInfo{});
}

}  // namespace
}  // namespace vz::platform
