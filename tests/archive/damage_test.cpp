// Damaged and hostile archives: every fault ends in a clear error or a
// reported block, never a crash, a hang, a half file or a write outside the
// destination; and the two-thread path behaves exactly as the one-thread path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveErrors.h"
#include "archive/BlockBuffers.h"
#include "archive/BlockExpander.h"
#include "archive/ArchiveExtraction.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::archive {
namespace {

using testing::GetDWord;
using testing::PackArchive;
using testing::PutDWord;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

void SetDWord(std::string& bytes, size_t at, std::uint32_t v) {
  std::string le;
  PutDWord(le, v);
  bytes.replace(at, 4, le);
}

// Offsets of the data block headers of the archive's first entry.
std::vector<size_t> BlockOffsets(const std::string& bytes, size_t count) {
  std::vector<size_t> offsets{4};
  while (offsets.size() < count) offsets.push_back(offsets.back() + 20 + GetDWord(bytes, offsets.back() + 8));
  return offsets;
}

std::string Mixed(size_t size) {
  std::mt19937 random(3);
  std::string s;
  while (s.size() < size) {
    if (random() % 3 == 0) s += static_cast<char>(random());
    else s += "Proclist entry\tkeylogger\r\n";
  }
  s.resize(size);
  return s;
}

// Everything one extraction showed and produced.
struct Outcome {
  std::string error;
  std::vector<std::string> dialogs;
  std::vector<std::string> log;
  std::vector<std::string> files;  // name=contents of every file in the destination
  bool operator==(const Outcome&) const = default;
};

Outcome Extract(const std::string& archive, const std::string& folder, int threads) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  ui::scripted::ScriptedDialogs dialogs;
  ArchiveExtraction resource(dialogs);
  resource.Manager().SetWorkerThreads(threads);
  Outcome out;
  resource.SetOnAddLog([&](ArchiveManager&, const std::string& line) { out.log.push_back(line); });
  try {
    resource.DecompressFromArchive(archive, folder, "");
  } catch (const ArchiveError& e) {
    out.error = e.what();
  }
  for (const auto& r : dialogs.shown) out.dialogs.push_back(r.caption + "|" + r.text);
  for (const auto& e : std::filesystem::directory_iterator(folder))
    out.files.push_back(e.path().filename().string() + "=" + ReadFile(e.path().string()));
  std::sort(out.files.begin(), out.files.end());
  return out;
}

// Extracts with one and with two threads and requires the same outcome.
Outcome ExtractBothWays(const std::string& archive, const TempDir& dir) {
  Outcome one = Extract(archive, dir.file("one"), 1);
  Outcome two = Extract(archive, dir.file("two"), 2);
  for (auto& line : two.log) {
    auto at = line.find(dir.file("two"));
    if (at != std::string::npos) line.replace(at, dir.file("two").size(), dir.file("one"));
  }
  for (auto& line : two.dialogs) {
    auto at = line.find(dir.file("two"));
    if (at != std::string::npos) line.replace(at, dir.file("two").size(), dir.file("one"));
  }
  EXPECT_EQ(one, two);
  return one;
}

class Damage : public ::testing::Test {
 protected:
  void SetUp() override {
    data = Mixed(4 * 409600 + 777);
    PackArchive(dir.file("good.pck"), {{"list.txt", data}, {"small.txt", "abc"}});
    good = ReadFile(dir.file("good.pck"));
    blocks = BlockOffsets(good, 5);
  }
  std::string Write(const std::string& bytes) {
    WriteFile(dir.file("bad.pck"), bytes);
    return dir.file("bad.pck");
  }
  TempDir dir;
  std::string data, good;
  std::vector<size_t> blocks;
};

TEST_F(Damage, IntactArchiveExtractsTheSameWithTwoThreads) {
  Outcome out = ExtractBothWays(dir.file("good.pck"), dir);
  EXPECT_EQ(out.error, "");
  EXPECT_TRUE(out.dialogs.empty());
  ASSERT_EQ(out.files.size(), 2u);
  EXPECT_EQ(out.files[0], "list.txt=" + data);
}

TEST_F(Damage, CrcMismatchIsReportedAndTheBlockStillWritten) {
  std::string bytes = good;
  SetDWord(bytes, blocks[1] + 4, GetDWord(bytes, blocks[1] + 4) ^ 1);
  Outcome out = ExtractBothWays(Write(bytes), dir);
  EXPECT_EQ(out.error, "");
  EXPECT_EQ(out.dialogs, std::vector<std::string>{"Orvane Vazeru|CRC does not match!"});
  EXPECT_NE(std::find(out.log.begin(), out.log.end(), "ArchiveMan: Block 1 Expand Error."), out.log.end());
  ASSERT_EQ(out.files.size(), 2u);
  EXPECT_EQ(out.files[0], "list.txt=" + data);
}

TEST_F(Damage, BadHeadersEndTheExtractionWithoutAHalfFile) {
  struct Case {
    size_t field;
    std::uint32_t value;
    std::string error;
  };
  const std::vector<Case> cases = {
      {0, 0x12345678, "Wrong Signature. Archive could be corrupted."},
      {8, 0xFFFFFFF0, "Damaged block: compressed size -16 does not fit the work buffers."},
      {8, 0x7FFFFFFF, "Damaged block: compressed size 2147483647 does not fit the work buffers."},
      {12, 409601, "Damaged block: index out of range."},  // FirstIndex above n
      {16, 0xFFFFFFFF, "Damaged block: index out of range."},
      {16, 410600, "Damaged block: index out of range."},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    SetDWord(bytes, blocks[2] + c.field, c.value);
    Outcome out = ExtractBothWays(Write(bytes), dir);
    EXPECT_EQ(out.error, c.error) << c.field;
    EXPECT_TRUE(out.files.empty()) << "no partial list.txt, no temporary file";
    // With either thread count the extraction stops at the damaged block 2.
    std::vector<std::string> blockLines;
    for (const auto& line : out.log)
      if (line.rfind("ArchiveMan: Block ", 0) == 0) blockLines.push_back(line);
    EXPECT_EQ(blockLines, (std::vector<std::string>{"ArchiveMan: Block 0 Expand and CRC32 Check OK.",
                                                    "ArchiveMan: Block 1 Expand and CRC32 Check OK."}))
        << c.field;
  }
}

TEST_F(Damage, HostileDirectoriesGiveClearErrors) {
  // Huge BlockCount: the blocks after the real ones read as zeros.
  std::string bytes = good;
  size_t dirOffset = GetDWord(good, good.size() - 4);
  SetDWord(bytes, dirOffset + 12, 0x7FFFFFFF);
  EXPECT_EQ(ExtractBothWays(Write(bytes), dir).error, "Wrong Signature. Archive could be corrupted.");
  // DataOffset negative or past the end.
  bytes = good;
  SetDWord(bytes, dirOffset + 16, 0xFFFFFF00);
  EXPECT_EQ(ExtractBothWays(Write(bytes), dir).error, "SmartSeek General error");
  bytes = good;
  SetDWord(bytes, dirOffset + 16, 0x7FFFFF00);
  EXPECT_EQ(ExtractBothWays(Write(bytes), dir).error, "Wrong Signature. Archive could be corrupted.");
  // Truncated anywhere: never a crash, never a file claiming to be complete.
  for (size_t cut : {size_t{3}, size_t{30}, blocks[1] + 10, blocks[3], good.size() - 5}) {
    Outcome out = ExtractBothWays(Write(good.substr(0, cut)), dir);
    EXPECT_NE(out.error, "") << cut;
    EXPECT_TRUE(out.files.empty()) << cut;
  }
}

TEST_F(Damage, CorruptedPayloadsNeverEscapeTheirBuffers) {
  std::mt19937 random(11);
  int failures = 0;
  for (int round = 0; round < 12; ++round) {
    std::string bytes = good;
    size_t block = blocks[static_cast<size_t>(round % 5)];
    for (int k = 0; k < 1 + round % 3; ++k) {
      size_t at = block + 20 + random() % GetDWord(good, block + 8);
      bytes[at] = static_cast<char>(bytes[at] ^ (1 + random() % 255));
    }
    Outcome out = ExtractBothWays(Write(bytes), dir);
    if (!out.error.empty() || !out.dialogs.empty()) ++failures;
  }
  EXPECT_EQ(failures, 12);  // every corruption is noticed
}

TEST_F(Damage, PaddedPayloadMakesTheReaderFollowTheDecoder) {
  // Another writer's payload with 3 bytes of padding after the coded bits:
  // the reader continues where the decoder stopped, inside the padding.
  std::string bytes = good.substr(0, blocks[1]) + std::string(3, '\0') + good.substr(blocks[1]);
  SetDWord(bytes, blocks[0] + 8, GetDWord(good, blocks[0] + 8) + 3);
  EXPECT_EQ(ExtractBothWays(Write(bytes), dir).error, "Wrong Signature. Archive could be corrupted.");
}

TEST(DamagedStream, DecoderRunningPastItsPayloadIsStopped) {
  // Short random payloads: each either decodes, or is stopped with one of the
  // damaged-block errors; some must hit the 20-byte read limit.
  std::mt19937 random(5);
  int overruns = 0;
  BlockBuffers buffers;
  for (int round = 0; round < 3000 && overruns == 0; ++round) {
    DataBlockHeader header;
    header.CompressedSize = 1 + static_cast<std::int32_t>(random() % 4);
    buffers.payload.assign(static_cast<size_t>(header.CompressedSize) + 20, 0);
    for (std::int32_t k = 0; k < header.CompressedSize; ++k) buffers.payload[static_cast<size_t>(k)] = static_cast<std::uint8_t>(random());
    try {
      ExpandPayload(header, buffers);
    } catch (const BlockDamaged& e) {
      if (std::string(e.what()) == kTooManyBitModeBytes) ++overruns;
    }
  }
  EXPECT_GT(overruns, 0);
}

}  // namespace
}  // namespace vz::archive
