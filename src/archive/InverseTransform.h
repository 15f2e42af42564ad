#pragma once
// The inverse block sort: from the last column of the sorted rotations back
// to the block's bytes.
#include <cstdint>
#include <memory>
#include <vector>

namespace vz::archive {

// Builds the links of L[0..n] (marker at s) from the counts of byte value v
// at counts[v + 1] (counts[0] = 1 for the marker), using running[0..256] as
// work space: forward[row] holds the row of the next byte in its high 24 bits
// and that row's byte in the low 8. counts is left zeroed.
void BuildLinks(const std::uint8_t* L, std::int32_t n, std::int32_t s, std::int32_t* counts, std::int32_t* running,
                std::uint32_t* forward);

// The walk as the format defines it: from row f, n bytes forward.
void WalkForward(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                 std::uint8_t* out);

// Work space of WalkInLanes, allocated once with the other block buffers.
struct LaneWalkSpace {
  // Rows where a segment of the walk starts (the first at row f).
  static constexpr std::int32_t kMaxSegments = 1024;
  // The bytes go into chunks of this size, taken in turn by the lanes.
  static constexpr std::int32_t kChunkBytes = 4096;
  static constexpr std::int32_t kLanes = 12;

  // Space for blocks of up to rows - 1 bytes.
  explicit LaneWalkSpace(std::int32_t rows);
  struct Segment {
    std::uint32_t row;
    std::uint32_t link;  // forward[row], while the row is marked as a start
    std::int32_t next;   // the segment that follows it in the walk
    std::int32_t firstPiece;
    std::int32_t lastPiece;
  };
  struct Piece {
    std::int32_t offset;  // in the pool
    std::int32_t size;
    std::int32_t next;    // the segment's next piece
  };
  std::int32_t rows;
  std::vector<Segment> segments;  // kMaxSegments
  std::vector<Piece> pieces;
  // Chunk space for the largest block: every chunk but the lanes' current
  // ones is full of bytes of the block, but for at most one byte a segment.
  // Aligned to kChunkBytes.
  std::uint8_t* pool;

 private:
  // Allocated without being filled, like the other work buffers.
  std::unique_ptr<std::uint8_t[]> storage_;
};

// The bytes of WalkForward, for any block, from many rows at once: the walk
// is cut at rows spread over the block into segments, lanes walk separate
// segments side by side (independent chains of memory accesses), and the
// segments are put together in the order of the walk from row f. forward is
// left as it was.
void WalkInLanes(const std::uint8_t* L, std::int32_t n, std::int32_t f, std::uint32_t* forward,
                 LaneWalkSpace& space, std::uint8_t* out);

}  // namespace vz::archive
