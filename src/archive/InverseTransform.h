#pragma once
// The inverse block sort: from the last column of the sorted rotations back
// to the block's bytes.
#include <cstdint>

namespace vz::archive {

// Builds the links of L[0..n] (marker at s) from the counts of byte value v
// at counts[v + 1] (counts[0] = 1 for the marker), using running[0..256] as
// work space: forward[row] holds the row of the next byte in its high 24 bits
// and that row's byte in the low 8, backward[row] the same towards the
// previous byte. counts is left zeroed.
void BuildLinks(const std::uint8_t* L, std::int32_t n, std::int32_t s, std::int32_t* counts, std::int32_t* running,
                std::uint32_t* forward, std::uint32_t* backward);

// The walk as the format defines it: from row f, n bytes forward.
void WalkForward(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                 std::uint8_t* out);

// The same bytes for an intact block, from both ends at once (two
// independent chains of memory accesses); a damaged block may differ.
void WalkBothEnds(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                  const std::uint32_t* backward, std::uint8_t* out);

}  // namespace vz::archive
