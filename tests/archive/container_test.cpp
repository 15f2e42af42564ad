#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveErrors.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriter.h"
#include "archive/BitFile.h"
#include "support/archive/ReferenceAriDecoder.h"
#include "support/TestSupport.h"

namespace vz::archive {
namespace {

using testing::GetDWord;
using testing::PutDWord;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(Container, NewArchiveIsTheSixteenByteEmptyForm) {
  TempDir dir;
  {
    ArchiveFile archive(dir.file("new.pck"), false);
    EXPECT_TRUE(archive.CentralDir().Entries().empty());
    EXPECT_EQ(archive.CentralDir().CentralDirOffset(), 4);
  }
  std::string expected = "TSAHECDR";
  PutDWord(expected, 409600);
  PutDWord(expected, 4);
  EXPECT_EQ(ReadFile(dir.file("new.pck")), expected);
  ArchiveFile reopened(dir.file("new.pck"), true);
  EXPECT_TRUE(reopened.CentralDir().Entries().empty());
}

TEST(Container, OneBlockArchiveHasTheWorkedLayout) {
  TempDir dir;
  testing::PackArchive(dir.file("b.pck"), {{"banana.txt", "banana", 0x5A8B6C21, 0x21}});
  std::string bytes = ReadFile(dir.file("b.pck"));
  EXPECT_EQ(bytes.substr(0, 4), "TSAH");
  EXPECT_EQ(bytes.substr(4, 4), "DATA");
  EXPECT_EQ(GetDWord(bytes, 8), 0x038B67CFu);
  EXPECT_EQ(GetDWord(bytes, 12), 7u);
  EXPECT_EQ(GetDWord(bytes, 16), 3u);
  EXPECT_EQ(GetDWord(bytes, 20), 4u);
  EXPECT_EQ(bytes.substr(24, 7), std::string("\x3F\x2D\x72\x7A\xB9\xD1\x65", 7));
  EXPECT_EQ(bytes.substr(31, 4), "CFHS");
  EXPECT_EQ(GetDWord(bytes, 39), 6u);  // FileSize
  EXPECT_EQ(GetDWord(bytes, 43), 1u);  // BlockCount
  EXPECT_EQ(GetDWord(bytes, 47), 4u);  // DataOffset
  EXPECT_EQ(GetDWord(bytes, 51), 0x5A8B6C21u);
  EXPECT_EQ(GetDWord(bytes, 55), 0x21u);
  EXPECT_EQ(bytes.substr(59, 11), std::string("banana.txt\0", 11));
  EXPECT_EQ(bytes.substr(70, 4), "ECDR");
  EXPECT_EQ(GetDWord(bytes, bytes.size() - 4), 31u);
  EXPECT_EQ(bytes.size(), 82u);
}

TEST(Container, ArchiveFilesAreNotInheritedAndNeverWrittenThroughALink) {
  TempDir dir;
  testing::PackArchive(dir.file("a.pck"), {{"x.txt", "x"}});
  WriteFile(dir.file("victim"), "victim");
  ASSERT_EQ(::symlink(dir.file("victim").c_str(), dir.file("b.pck").c_str()), 0);
  const std::vector<int> before = testsupport::InheritableDescriptors();
  {
    ArchiveFile reading(dir.file("a.pck"), true);
    ArchiveWriter writing(dir.file("b.pck"));
    writing.AddData("y", {"y.txt"});
    // Programs the shield starts meanwhile inherit none of these files.
    EXPECT_EQ(testsupport::InheritableDescriptors(), before);
    writing.Commit();
  }
  EXPECT_EQ(ReadFile(dir.file("victim")), "victim");
  EXPECT_EQ(ArchiveFile(dir.file("b.pck"), true).CentralDir().Entries().size(), 1u);
  // A new, empty archive is never made over a file or link already there.
  EXPECT_THROW(ArchiveFile(dir.file("victim"), false), InOutError);
  EXPECT_EQ(ReadFile(dir.file("victim")), "victim");
}

// The size the start-up load reserves room by: read from the directory, 0
// for a member that is not there, an archive error for a file that is no
// archive or is missing.
TEST(Container, MemberSizeComesFromTheDirectory) {
  TempDir dir;
  ArchiveWriter writer(dir.file("lists.pck"));
  writer.AddData(std::string(5000, 'a'), {"Proclist.txt"});
  writer.AddData("abc", {"Other.txt"});
  writer.Commit();
  EXPECT_EQ(MemberFileSize(dir.file("lists.pck"), "Proclist.txt"), 5000);
  EXPECT_EQ(MemberFileSize(dir.file("lists.pck"), "Other.txt"), 3);
  EXPECT_EQ(MemberFileSize(dir.file("lists.pck"), "proclist.txt"), 0);
  WriteFile(dir.file("junk.pck"), "not an archive at all");
  EXPECT_THROW(MemberFileSize(dir.file("junk.pck"), "Proclist.txt"), ArchiveError);
  EXPECT_THROW(MemberFileSize(dir.file("missing.pck"), "Proclist.txt"), ArchiveError);
}

TEST(Container, PathsSplitAtTheLastFolderDelimiter) {
  CentralFileHeader entry;
  entry.SetPath("Proclist.txt");
  EXPECT_EQ(entry.FolderName, "");
  EXPECT_EQ(entry.FileName, "Proclist.txt");
  entry.SetPath("a\\b\\c.txt");
  EXPECT_EQ(entry.FolderName, "a\\b\\");
  EXPECT_EQ(entry.FileName, "c.txt");
  entry.SetPath("C:x.txt");
  EXPECT_EQ(entry.FolderName, "C:");
  EXPECT_EQ(entry.FileName, "x.txt");
  entry.SetPath("dir\\");
  EXPECT_EQ(entry.FileName, "");
  EXPECT_EQ(entry.Tag, -1);
  EXPECT_EQ(entry.Info1, "?");
}

TEST(Container, DirectoryReadsOtherBlockSizesAndStopsCleanlyOnDamage) {
  TempDir dir;
  // A directory with one entry and an end record with BlockSize 12345.
  std::string bytes = "TSAH";
  std::string entry = "CFHS";
  for (std::uint32_t v : {0u, 5u, 0u, 4u, 0u, 0u}) PutDWord(entry, v);
  entry += std::string("x.txt\0", 6);
  bytes += entry + "ECDR";
  PutDWord(bytes, 12345);
  PutDWord(bytes, 4);
  WriteFile(dir.file("a.pck"), bytes);
  {
    ArchiveFile archive(dir.file("a.pck"), true);
    ASSERT_EQ(archive.CentralDir().Entries().size(), 1u);
    EXPECT_EQ(archive.CentralDir().Entries()[0]->FileName, "x.txt");
    EXPECT_EQ(archive.CentralDir().BlockSize(), 12345);
  }
  // Shorter than the header, wrong header, offset past the end, a record that is neither kind.
  WriteFile(dir.file("short.pck"), "TS");
  EXPECT_THROW(ArchiveFile(dir.file("short.pck"), true), SignatureWrong);
  WriteFile(dir.file("wrong.pck"), "PK\x03\x04" + bytes.substr(4));
  EXPECT_THROW(ArchiveFile(dir.file("wrong.pck"), true), SignatureWrong);
  std::string past = bytes.substr(0, bytes.size() - 4);
  PutDWord(past, 100000);
  WriteFile(dir.file("past.pck"), past);
  EXPECT_THROW(ArchiveFile(dir.file("past.pck"), true), SignatureWrong);
  std::string odd = bytes.substr(0, bytes.size() - 4);
  PutDWord(odd, 0);
  WriteFile(dir.file("odd.pck"), odd);
  EXPECT_THROW(ArchiveFile(dir.file("odd.pck"), true), SignatureWrong);
  // A negative offset means no entries; a path without its 0 byte ends at the end of the file.
  std::string negative = bytes.substr(0, bytes.size() - 4);
  PutDWord(negative, 0x80000000u);
  WriteFile(dir.file("neg.pck"), negative);
  EXPECT_TRUE(ArchiveFile(dir.file("neg.pck"), true).CentralDir().Entries().empty());
  std::string open = "TSAH" + entry.substr(0, entry.size() - 1);
  PutDWord(open, 4);
  WriteFile(dir.file("open.pck"), open);
  EXPECT_THROW(ArchiveFile(dir.file("open.pck"), true), SignatureWrong);
}

TEST(BitFile, BufferRefillsAtExactMultiplesAndSeeksInsideTheWindow) {
  TempDir dir;
  std::string data(65536, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
  WriteFile(dir.file("f"), data);
  BitFile file(dir.file("f"), kOpenRead);
  std::string read(65536, '\0');
  file.ReadBytes(read.data(), 65536);
  EXPECT_EQ(read, data);
  std::uint8_t b = 99;
  EXPECT_FALSE(file.ReadByte(b));
  EXPECT_EQ(b, 0);

  // A target strictly inside the buffer only moves the index.
  file.SmartSeek(0, SeekOrigin::FromStart);
  ASSERT_TRUE(file.ReadByte(b));
  EXPECT_EQ(file.Position(), 65536);
  EXPECT_EQ(file.SmartSeek(100, SeekOrigin::FromStart), 100);
  EXPECT_EQ(file.Position(), 65536);
  ASSERT_TRUE(file.ReadByte(b));
  EXPECT_EQ(b, static_cast<std::uint8_t>(data[100]));
  // The buffer origin and the last valid byte need a real seek.
  EXPECT_EQ(file.SmartSeek(65535, SeekOrigin::FromStart), 65535);
  EXPECT_EQ(file.Position(), 65535);
  ASSERT_TRUE(file.ReadByte(b));
  EXPECT_EQ(b, static_cast<std::uint8_t>(data[65535]));
  EXPECT_EQ(file.SmartSeek(-10, SeekOrigin::FromEnd), 65526);
  file.DisableBuffer();
  EXPECT_EQ(file.SmartSeek(-10, SeekOrigin::FromEnd), 65526);
  file.EnableBuffer();
  EXPECT_THROW(file.SmartSeek(-1, SeekOrigin::FromStart), SeekError);
}

TEST(BitFile, ByteLimitHandsOutTwentyZeroBytesThenFails) {
  TempDir dir;
  WriteFile(dir.file("f"), std::string("\xA5\x0F\xFF\xFF\xFF\xFF", 6));
  testing::BitLevelFile file(dir.file("f"), kOpenRead);
  EXPECT_EQ(file.ReadBits(8), 0xA5);
  file.SetByteLimit(1);
  EXPECT_EQ(file.ReadBits(4), 0x0);
  EXPECT_EQ(file.ReadBits(4), 0xF);
  for (int k = 0; k < 20; ++k) EXPECT_EQ(file.ReadBits(8), 0) << k;
  EXPECT_EQ(file.GetBufferedPosition(), 2);
  try {
    file.ReadBit();
    FAIL() << "the 21st byte beyond the limit must fail";
  } catch (const BlockDamaged& e) {
    EXPECT_STREQ(e.what(), "Too many bytes read in bit mode.");
  }
}

TEST(BitFile, FileDecoderTakesTheWholePayloadAndTwoZeroBytes) {
  TempDir dir;
  testing::PackArchive(dir.file("b.pck"), {{"banana.txt", "banana"}});
  testing::BitLevelFile file(dir.file("b.pck"), kOpenRead);
  file.SmartSeek(24, SeekOrigin::FromStart);
  file.SetByteLimit(7);
  FileStructuredAriDecoder decoder(file);
  std::uint8_t ranks[16];
  ASSERT_EQ(decoder.DecodeBlock(ranks, 16), 6);
  EXPECT_EQ(std::vector<std::uint8_t>(ranks, ranks + 6), (std::vector<std::uint8_t>{97, 110, 0, 99, 2, 0}));
  EXPECT_EQ(file.ByteCount(), 9);
  EXPECT_EQ(file.GetBufferedPosition(), 31);  // the next record follows the payload
  EXPECT_EQ(ReadDWord(file), kSigCentralFile);
}

TEST(BitFile, PartlyWrittenByteIsWrittenAtDestruction) {
  TempDir dir;
  {
    testing::BitLevelFile file(dir.file("w"), kCreate);
    file.WriteBits(0x1A5, 9);
    file.WriteBits(0x5, 3);
  }
  EXPECT_EQ(ReadFile(dir.file("w")), std::string("\xD2\xD0", 2));
}

}  // namespace
}  // namespace vz::archive
