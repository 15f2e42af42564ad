// The inverse block sort in lanes against the single forward walk: the same
// bytes for real blocks of every size class and for arbitrary (damaged) last
// columns, whose links fall into several cycles.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "archive/BlockBuffers.h"
#include "archive/Compressor.h"
#include "archive/FastBlockDecoder.h"
#include "archive/InverseTransform.h"

namespace vz::archive {
namespace {

struct Walks {
  std::vector<std::uint8_t> lanes;
  std::vector<std::uint8_t> forward;
  bool shortCycle = false;  // the walk from f is back at f before n bytes
};

// Both walks over the links of L[0..n] (marker at s), from row f. The links
// must be the same after the walk in lanes as before it.
Walks WalkBoth(std::vector<std::uint8_t> L, std::int32_t s, std::int32_t f, LaneWalkSpace& space) {
  const auto n = static_cast<std::int32_t>(L.size()) - 1;
  std::vector<std::int32_t> counts(258, 0), running(258);
  counts[0] = 1;
  for (std::int32_t i = 0; i <= n; ++i)
    if (i != s) ++counts[static_cast<size_t>(L[static_cast<size_t>(i)]) + 1];
  std::vector<std::uint32_t> links(static_cast<size_t>(n) + 1);
  BuildLinks(L.data(), n, s, counts.data(), running.data(), links.data());
  const std::vector<std::uint32_t> before = links;
  Walks w{std::vector<std::uint8_t>(static_cast<size_t>(n)), std::vector<std::uint8_t>(static_cast<size_t>(n))};
  WalkInLanes(L.data(), n, f, links.data(), space, w.lanes.data());
  EXPECT_TRUE(links == before) << "n " << n;
  WalkForward(L.data(), n, f, links.data(), w.forward.data());
  std::uint32_t row = links[static_cast<size_t>(f)] >> 8;
  for (std::int32_t k = 1; k < n && !w.shortCycle; ++k, row = links[row] >> 8) w.shortCycle = row == static_cast<std::uint32_t>(f);
  return w;
}

TEST(InverseSort, LanesGiveTheBlockBackForEverySizeAndContent) {
  std::mt19937 random(11);
  Compressor compressor;
  LaneWalkSpace space(kTransformSlots);
  // Sizes around the smallest block walked in lanes, blocks of one byte
  // value, of all 256 values, of text, and the largest block.
  const std::vector<std::pair<std::int32_t, int>> cases = {
      {1, 0}, {16383, 2}, {16384, 2}, {16385, 2}, {70000, 0}, {70000, 1}, {200000, 2}, {kMaxBlockLength, 2}, {kMaxBlockLength, 1}};
  for (const auto& [size, kind] : cases) {
    std::string data;
    while (static_cast<std::int32_t>(data.size()) < size) {
      if (kind == 0) data += 'a';
      else if (kind == 1) data += static_cast<char>(random());
      else data += "spy" + std::to_string(random() % 3000) + ".exe\tTrojan\r\n";
    }
    data.resize(static_cast<size_t>(size));
    const CompressedBlock block =
        compressor.CompressBlock(reinterpret_cast<const std::uint8_t*>(data.data()), size);
    std::vector<std::uint8_t> payload = block.payload;
    payload.resize(payload.size() + kPayloadPadding, 0);
    std::vector<std::uint8_t> L(kBlockBufferBytes);
    std::vector<std::int32_t> counts(258);
    const LastColumn column = DecodeLastColumn(payload.data(), block.header.CompressedSize,
                                               block.header.SentinelIndex, kMaxBlockLength, L.data(), counts.data());
    ASSERT_EQ(column.n, size);
    L.resize(static_cast<size_t>(size) + 1);
    const Walks w = WalkBoth(L, block.header.SentinelIndex, block.header.FirstIndex, space);
    EXPECT_EQ(std::string(w.lanes.begin(), w.lanes.end()), data) << size << " " << kind;
    EXPECT_TRUE(w.forward == w.lanes);
  }
}

// The last column of a real block walked from another row, or with two
// bytes swapped, and columns of random bytes: the walk from f may close its
// cycle before n bytes (the forward walk then goes round it again) or run on
// through rows where the segments of other cycles start.
TEST(InverseSort, LanesGiveTheForwardWalkOfAnyColumn) {
  std::mt19937 random(12);
  Compressor compressor;
  LaneWalkSpace space(kTransformSlots);
  int shortCycles = 0;
  for (int round = 0; round < 40; ++round) {
    const auto n = static_cast<std::int32_t>(16384 + random() % (round < 30 ? 60000 : kMaxBlockLength - 16384));
    std::vector<std::uint8_t> L(static_cast<size_t>(n) + 1);
    std::int32_t s = 0;
    if (round % 2 == 0) {
      const unsigned alphabet = round % 4 == 0 ? 1 : 1 + random() % 256;
      for (auto& b : L) b = static_cast<std::uint8_t>(random() % alphabet);
      s = static_cast<std::int32_t>(random() % (static_cast<unsigned>(n) + 1));
    } else {
      std::vector<std::uint8_t> data(static_cast<size_t>(n));
      for (auto& b : data) b = static_cast<std::uint8_t>('a' + random() % 8);
      const CompressedBlock block = compressor.CompressBlock(data.data(), n);
      std::vector<std::uint8_t> payload = block.payload;
      payload.resize(payload.size() + kPayloadPadding, 0);
      std::vector<std::uint8_t> column(kBlockBufferBytes);
      std::vector<std::int32_t> counts(258);
      s = block.header.SentinelIndex;
      DecodeLastColumn(payload.data(), block.header.CompressedSize, s, kMaxBlockLength, column.data(), counts.data());
      std::copy(column.begin(), column.begin() + n + 1, L.begin());
      if (round % 4 == 1) std::swap(L[random() % static_cast<unsigned>(n)], L[random() % static_cast<unsigned>(n)]);
    }
    const auto f = static_cast<std::int32_t>(random() % (static_cast<unsigned>(n) + 1));
    const Walks w = WalkBoth(L, s, f, space);
    ASSERT_TRUE(w.lanes == w.forward) << "round " << round << " n " << n;
    if (w.shortCycle) ++shortCycles;
  }
  EXPECT_GT(shortCycles, 0);
  EXPECT_LT(shortCycles, 40);
}

}  // namespace
}  // namespace vz::archive
