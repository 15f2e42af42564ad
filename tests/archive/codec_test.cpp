#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "archive/BlockBuffers.h"
#include "archive/Compressor.h"
#include "archive/Crc32.h"
#include "archive/BlockExpander.h"
#include "support/archive/ReferenceAriDecoder.h"
#include "archive/StrucAriEncoder.h"
#include "support/archive/ReferenceCodec.h"

namespace vz::archive {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Compresses then expands one block in memory; checks the round trip and the
// decoder's input accounting (whole payload, at most 20 bytes beyond).
std::string RoundTrip(const std::string& data, CompressedBlock* out = nullptr) {
  Compressor compressor;
  CompressedBlock block =
      compressor.CompressBlock(reinterpret_cast<const std::uint8_t*>(data.data()), static_cast<std::int32_t>(data.size()));
  BlockBuffers buffers;
  buffers.payload = block.payload;
  buffers.payload.resize(block.payload.size() + 20, 0);
  ExpandedBlock result = ExpandPayload(block.header, buffers);
  EXPECT_TRUE(result.crcOk);
  EXPECT_EQ(result.payloadBytesTaken, block.header.CompressedSize);
  if (out) *out = block;
  return std::string(reinterpret_cast<const char*>(result.data), static_cast<size_t>(result.length));
}

TEST(Codec, BananaPacksToTheWorkedExampleAndBack) {
  CompressedBlock block;
  EXPECT_EQ(RoundTrip("banana", &block), "banana");
  EXPECT_EQ(block.header.SentinelIndex, 4);
  EXPECT_EQ(block.header.FirstIndex, 3);
  EXPECT_EQ(block.header.BlockCRC, 0x038B67CFu);
  EXPECT_EQ(block.header.CompressedSize, 7);
  EXPECT_EQ(block.payload, (std::vector<std::uint8_t>{0x3F, 0x2D, 0x72, 0x7A, 0xB9, 0xD1, 0x65}));

  testing::SortedRotations t = testing::SortRotations(reinterpret_cast<const std::uint8_t*>("banana"), 6);
  EXPECT_EQ(t.lastColumn, Bytes("annbaa"));
  EXPECT_EQ(t.sentinelIndex, 4);
  EXPECT_EQ(t.firstIndex, 3);
}

TEST(Codec, DecoderFollowsTheWorkedExampleStepByStep) {
  std::vector<std::uint8_t> payload{0x3F, 0x2D, 0x72, 0x7A, 0xB9, 0xD1, 0x65};
  payload.resize(payload.size() + 20, 0);
  MemoryBitInput input(payload.data(), 7);
  MemoryStructuredAriDecoder decoder(input);
  decoder.StartDecoding();
  EXPECT_EQ(decoder.Value(), 0x3F2D);
  EXPECT_EQ(decoder.DecodeChar(decoder.Model().head), 7);  // group 7
  EXPECT_EQ(decoder.Low(), 0x1998);
  EXPECT_EQ(decoder.High(), 0xE65F);
  EXPECT_EQ(decoder.Value(), 0x796B);
  EXPECT_EQ(decoder.DecodeChar(decoder.Model().groups[7]), 34);  // symbol 98
  EXPECT_EQ(decoder.Low(), 0x06C0);
  EXPECT_EQ(decoder.High(), 0xD07F);
  EXPECT_EQ(decoder.Value(), 0x5AE4);
  std::vector<std::int32_t> rest;
  for (int k = 0; k < 5; ++k) rest.push_back(decoder.DecodeSymbol());
  EXPECT_EQ(rest, (std::vector<std::int32_t>{111, 0, 100, 3, 0}));
  EXPECT_EQ(decoder.DecodeSymbol(), kEndOfBlockSymbol);
  EXPECT_EQ(input.BytesRequested(), 9);  // the 7 payload bytes and 2 zero bytes
}

TEST(Codec, ExpanderUndoesTheWorkedExampleRanks) {
  std::vector<std::uint8_t> payload{0x3F, 0x2D, 0x72, 0x7A, 0xB9, 0xD1, 0x65};
  BlockBuffers buffers;
  buffers.payload = payload;
  buffers.payload.resize(27, 0);
  DataBlockHeader header;
  header.BlockCRC = 0x038B67CF;
  header.CompressedSize = 7;
  header.FirstIndex = 3;
  header.SentinelIndex = 4;
  ExpandedBlock result = ExpandPayload(header, buffers);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(result.data), 6), "banana");
  EXPECT_TRUE(result.crcOk);
}

TEST(Codec, EdgeBlocksRoundTrip) {
  CompressedBlock block;
  EXPECT_EQ(RoundTrip("", &block), "");
  EXPECT_EQ(block.header.BlockCRC, 0u);
  EXPECT_EQ(block.header.SentinelIndex, 0);
  EXPECT_EQ(block.header.FirstIndex, 0);

  EXPECT_EQ(RoundTrip("x", &block), "x");
  EXPECT_EQ(block.header.SentinelIndex, 1);
  EXPECT_EQ(block.header.FirstIndex, 0);

  // Zero runs of every length 1..64 and 1000, each between other bytes and at the end.
  for (int run = 1; run <= 64; ++run) {
    std::string zeros(static_cast<size_t>(run), 'a');
    ASSERT_EQ(RoundTrip(zeros), zeros) << run;
    std::string mixed = "b" + zeros + "c" + zeros;
    ASSERT_EQ(RoundTrip(mixed), mixed) << run;
  }
  std::string thousand(1000, 'q');
  EXPECT_EQ(RoundTrip(thousand), thousand);

  std::string all;
  for (int v = 0; v < 256; ++v) all.push_back(static_cast<char>(v));
  EXPECT_EQ(RoundTrip(all), all);
  // Rank 255: every value once, then the one that has moved to the back.
  std::string rank255 = all + all;
  EXPECT_EQ(RoundTrip(rank255), rank255);

  // SentinelIndex = n: the block's first byte is its largest and unique.
  EXPECT_EQ(RoundTrip("zaaa", &block), "zaaa");
  EXPECT_EQ(block.header.SentinelIndex, 4);
}

TEST(Codec, FullBlockOfEqualBytesAndRandomBlock) {
  std::string same(409600, '\x7f');
  EXPECT_EQ(RoundTrip(same), same);
  std::mt19937 random(7);
  std::string noise(409600, '\0');
  for (auto& c : noise) c = static_cast<char>(random());
  EXPECT_EQ(RoundTrip(noise), noise);
}

TEST(Codec, ZeroRunDigitsAreBijectiveBaseTwo) {
  // Ranks only: code 0-runs of 1..7 and check the symbols the decoder sees.
  const std::vector<std::vector<std::int32_t>> digits = {{0}, {1}, {0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 0, 0}};
  for (int run = 1; run <= 7; ++run) {
    std::vector<std::uint8_t> ranks(static_cast<size_t>(run), 0);
    StreamAriEncoder output;
    StreamStructuredAriEncoder encoder(output);
    encoder.EncodeBlock(ranks.data(), run);
    output.bytes.resize(output.bytes.size() + 20, 0);
    MemoryBitInput input(output.bytes.data(), static_cast<std::int32_t>(output.bytes.size() - 20));
    MemoryStructuredAriDecoder decoder(input);
    decoder.StartDecoding();
    std::vector<std::int32_t> symbols;
    for (std::int32_t s = decoder.DecodeSymbol(); s != kEndOfBlockSymbol; s = decoder.DecodeSymbol()) symbols.push_back(s);
    EXPECT_EQ(symbols, digits[static_cast<size_t>(run - 1)]) << run;
  }
}

TEST(Codec, Crc32MatchesTheCommonCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc32Of(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0xCBF43926u);
  EXPECT_EQ(testing::ByteWiseCrc32(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0xCBF43926u);
  // Every length around the word sizes, every alignment, and pieces added one
  // after another give the byte-wise value.
  std::mt19937 random(9);
  std::vector<std::uint8_t> bytes(70000);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{15}, size_t{16}, size_t{17}, size_t{63},
                      size_t{64}, size_t{65}, size_t{1000}, size_t{65536}, size_t{69990}}) {
    for (size_t offset = 0; offset < 4; ++offset) {
      const std::uint32_t expected = testing::ByteWiseCrc32(bytes.data() + offset, size);
      ASSERT_EQ(Crc32Of(bytes.data() + offset, size), expected) << size << "+" << offset;
      Crc32 pieces;
      pieces.Add(bytes.data() + offset, size / 3);
      pieces.Add(bytes.data() + offset + size / 3, size - size / 3);
      ASSERT_EQ(pieces.Value(), expected) << size << "+" << offset;
    }
  }
}

}  // namespace
}  // namespace vz::archive
