// Any last column, marker row and start row: the inverse block sort in lanes
// must give the bytes of the single forward walk and leave the links as they
// were. The input is stretched to a column long enough for the lanes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/BlockBuffers.h"
#include "archive/InverseTransform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  // Bytes 0-1: the length past the smallest lane block; 2-4: the marker row;
  // 5-7: the start row; the rest, repeated and varied per round, the column.
  const auto word = [&](std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) v = v << 8 | data[at + static_cast<std::size_t>(k)];
    return v;
  };
  const auto n = static_cast<std::int32_t>(16000 + word(0, 2) * 4 % 120000);
  const auto s = static_cast<std::int32_t>(word(2, 3) % static_cast<std::uint32_t>(n + 1));
  const auto f = static_cast<std::int32_t>(word(5, 3) % static_cast<std::uint32_t>(n + 1));
  const std::uint8_t* material = data + 8;
  const std::size_t length = size - 8;
  std::vector<std::uint8_t> L(static_cast<std::size_t>(n) + 1);
  for (std::size_t i = 0; i < L.size(); ++i)
    L[i] = length == 0 ? 0 : static_cast<std::uint8_t>(material[i % length] + (i / length) * (length > 1 ? material[1] : 0));

  std::vector<std::int32_t> counts(258, 0), running(258);
  counts[0] = 1;
  for (std::int32_t i = 0; i <= n; ++i)
    if (i != s) ++counts[static_cast<std::size_t>(L[static_cast<std::size_t>(i)]) + 1];
  std::vector<std::uint32_t> links(static_cast<std::size_t>(n) + 1);
  vz::archive::BuildLinks(L.data(), n, s, counts.data(), running.data(), links.data());
  const std::vector<std::uint32_t> before = links;

  static vz::archive::LaneWalkSpace space(vz::archive::kTransformSlots);
  std::vector<std::uint8_t> lanes(static_cast<std::size_t>(n)), forward(static_cast<std::size_t>(n));
  vz::archive::WalkInLanes(L.data(), n, f, links.data(), space, lanes.data());
  if (links != before) std::abort();
  vz::archive::WalkForward(L.data(), n, f, links.data(), forward.data());
  if (lanes != forward) std::abort();
  return 0;
}
