// The expander's fused decoder against the step-by-step one of the format:
// same last column, same input taken, same errors, on valid and random streams.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "archive/ArchiveErrors.h"
#include "archive/Compressor.h"
#include "archive/FastBlockDecoder.h"
#include "archive/Mtf.h"
#include "support/archive/ReferenceAriDecoder.h"

namespace vz::archive {
namespace {

struct Result {
  std::string error;
  std::vector<std::uint8_t> column;  // L[0..n], gap 0
  std::int32_t bytes = 0;
  bool operator==(const Result&) const = default;
};

Result Reference(const std::vector<std::uint8_t>& payload, std::int32_t size, std::int32_t s) {
  Result r;
  std::vector<std::uint8_t> ranks(410599);
  MemoryBitInput input(payload.data(), size);
  MemoryStructuredAriDecoder decoder(input);
  try {
    std::int32_t n = decoder.DecodeBlock(ranks.data(), 410599);
    if (s > n) throw BlockDamaged("Damaged block: index out of range.");
    MtfDecoder mtf;
    r.column.assign(static_cast<size_t>(n) + 1, 0);
    for (std::int32_t k = 0; k < n; ++k) r.column[static_cast<size_t>(k < s ? k : k + 1)] = mtf.Decode(ranks[static_cast<size_t>(k)]);
    r.bytes = std::min(input.BytesRequested(), size);
  } catch (const BlockDamaged& e) {
    r.error = e.what();
  }
  return r;
}

Result Fast(const std::vector<std::uint8_t>& payload, std::int32_t size, std::int32_t s) {
  Result r;
  std::vector<std::uint8_t> L(821202, 0xEE);
  std::vector<std::int32_t> counts(258);
  try {
    LastColumn c = DecodeLastColumn(payload.data(), size, s, 410599, L.data(), counts.data());
    r.column.assign(L.begin(), L.begin() + c.n + 1);
    r.bytes = c.payloadBytesTaken;
    std::vector<std::int32_t> expected(257, 0);
    expected[0] = 1;
    for (std::int32_t i = 0; i <= c.n; ++i)
      if (i != s) ++expected[static_cast<size_t>(L[static_cast<size_t>(i)]) + 1];
    EXPECT_EQ(std::vector<std::int32_t>(counts.begin(), counts.begin() + 257), expected);
  } catch (const BlockDamaged& e) {
    r.error = e.what();
  }
  return r;
}

TEST(FastDecoder, MatchesTheStepByStepDecoderOnValidStreams) {
  std::mt19937 random(1);
  Compressor compressor;
  for (int round = 0; round < 60; ++round) {
    std::string data;
    const size_t size = random() % 3000;
    const int alphabet = 1 + static_cast<int>(random() % 256);
    while (data.size() < size) {
      char c = static_cast<char>(random() % static_cast<unsigned>(alphabet));
      data.append(1 + random() % (round % 2 ? 40 : 2), c);
    }
    CompressedBlock block =
        compressor.CompressBlock(reinterpret_cast<const std::uint8_t*>(data.data()), static_cast<std::int32_t>(data.size()));
    std::vector<std::uint8_t> payload = block.payload;
    payload.resize(payload.size() + kPayloadPadding, 0);
    const std::int32_t s = block.header.SentinelIndex;
    Result fast = Fast(payload, block.header.CompressedSize, s);
    ASSERT_EQ(fast, Reference(payload, block.header.CompressedSize, s)) << round;
    EXPECT_EQ(fast.error, "");
    EXPECT_EQ(fast.bytes, block.header.CompressedSize);
  }
}

// Large blocks drive every model through many halvings at its largest total
// and the head model through long runs of each group; the largest block the
// buffers allow is among them.
TEST(FastDecoder, MatchesTheStepByStepDecoderOnLargeBlocks) {
  std::mt19937 random(5);
  Compressor compressor;
  for (const std::int32_t size : {65536, 409600, 410599}) {
    std::string data;
    while (static_cast<std::int32_t>(data.size()) < size) {
      switch (random() % 4) {
        case 0: data.append(1 + random() % 300, static_cast<char>(random()));  // runs of one byte
          break;
        case 1: data += static_cast<char>(random());  // all 256 values, ranks of every group
          break;
        default: data += "Proc entry\tspy" + std::to_string(random() % 5000) + "\r\n";
      }
    }
    data.resize(static_cast<size_t>(size));
    CompressedBlock block = compressor.CompressBlock(reinterpret_cast<const std::uint8_t*>(data.data()), size);
    std::vector<std::uint8_t> payload = block.payload;
    payload.resize(payload.size() + kPayloadPadding, 0);
    const std::int32_t s = block.header.SentinelIndex;
    Result fast = Fast(payload, block.header.CompressedSize, s);
    EXPECT_EQ(fast.error, "") << size;
    ASSERT_EQ(fast.column.size(), static_cast<size_t>(size) + 1);
    EXPECT_TRUE(fast == Reference(payload, block.header.CompressedSize, s)) << size;
  }
}

TEST(FastDecoder, MatchesTheStepByStepDecoderOnRandomStreams) {
  std::mt19937 random(2);
  int errors = 0;
  for (int round = 0; round < 400; ++round) {
    const auto size = static_cast<std::int32_t>(random() % 64);
    std::vector<std::uint8_t> payload(static_cast<size_t>(size) + kPayloadPadding, 0);
    for (std::int32_t k = 0; k < size; ++k) payload[static_cast<size_t>(k)] = static_cast<std::uint8_t>(random());
    const auto s = static_cast<std::int32_t>(random() % 50);
    Result fast = Fast(payload, size, s);
    ASSERT_EQ(fast, Reference(payload, size, s)) << round;
    if (!fast.error.empty()) ++errors;
  }
  EXPECT_GT(errors, 0);
}

}  // namespace
}  // namespace vz::archive
