#include "archive/InverseTransform.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vz::archive {

// The walk as the format defines it: from row f, n bytes forward.
void WalkForward(const std::uint8_t* L, std::int32_t n, std::int32_t f, const std::uint32_t* forward,
                 std::uint8_t* out) {
  if (n == 0) return;
  out[0] = L[f];
  std::uint32_t idx = static_cast<std::uint32_t>(f);
  for (std::int32_t j = 1; j < n; ++j) {
    const std::uint32_t link = forward[idx];
    out[j] = static_cast<std::uint8_t>(link);
    idx = link >> 8;
  }
}

// One pass over L: the slots of each byte value are handed out in turn.
void BuildLinks(const std::uint8_t* L, std::int32_t n, std::int32_t s, std::int32_t* counts, std::int32_t* running,
                std::uint32_t* forward) {
  std::int32_t sum = 0;
  for (int k = 0; k <= 256; ++k) {
    running[k] = sum;
    sum += counts[k];
    counts[k] = 0;
  }
  // running[v + 1] is the next free slot of byte value v (slot 0 is the
  // marker's).
  for (std::int32_t i = 0; i < s; ++i) forward[running[L[i] + 1]++] = (static_cast<std::uint32_t>(i) << 8) | L[i];
  for (std::int32_t i = s + 1; i <= n; ++i)
    forward[running[L[i] + 1]++] = (static_cast<std::uint32_t>(i) << 8) | L[i];
  forward[0] = (static_cast<std::uint32_t>(s) << 8) | L[s];
}

namespace {

// A start row's forward entry while the walk runs: this bit and the number
// of the segment that starts there. Blocks walked in lanes have fewer than
// 2^23 rows, so a link never has the bit.
constexpr std::uint32_t kStartMark = 0x80000000U;
constexpr std::int32_t kChunkBytes = LaneWalkSpace::kChunkBytes;
// Below this size a block is walked in one chain.
constexpr std::int32_t kSmallestLaneBlock = 16 * 1024;
constexpr std::int32_t kLargestLaneBlock = (1 << 23) - 1;

std::int32_t PoolBytes(std::int32_t rows) {
  return rows + LaneWalkSpace::kMaxSegments + (LaneWalkSpace::kLanes + 1) * LaneWalkSpace::kChunkBytes;
}

bool ChunkFull(const std::uint8_t* p) { return reinterpret_cast<std::uintptr_t>(p) % kChunkBytes == 0; }

struct Lane {
  std::uint32_t row;         // the row whose byte was put last
  std::uint8_t* put;         // where the next byte goes
  std::int32_t segment;      // the segment being walked
  std::uint8_t* pieceBegin;  // where its bytes in this chunk begin
};

class LaneWalk {
 public:
  LaneWalk(const std::uint8_t* L, std::uint32_t* forward, LaneWalkSpace& space, std::int32_t segmentCount)
      : L_(L), forward_(forward), space_(space), segmentCount_(segmentCount) {}

  // Starts the lane on the next segment that no lane has walked; false when
  // every segment is taken.
  bool Begin(Lane& lane) {
    if (nextSegment_ == segmentCount_) return false;
    lane.segment = nextSegment_++;
    lane.pieceBegin = lane.put;
    const LaneWalkSpace::Segment& segment = space_.segments[static_cast<std::size_t>(lane.segment)];
    Put(lane, L_[segment.row]);
    // The start row's own entry is marked: its link comes from the segment.
    Put(lane, static_cast<std::uint8_t>(segment.link));
    lane.row = segment.link >> 8;
    return true;
  }

  // The lane read the marked entry of the row that starts segment `to`: the
  // byte it put last (that row's) belongs to that segment.
  void End(Lane& lane, std::int32_t to) {
    auto& segment = space_.segments[static_cast<std::size_t>(lane.segment)];
    if (lane.put == lane.pieceBegin)
      --space_.pieces[static_cast<std::size_t>(segment.lastPiece)].size;  // it ended the last chunk
    else
      --lane.put;
    ClosePiece(lane);
    segment.next = to;
  }

  // Gives the lane its first chunk.
  void FirstChunk(Lane& lane) {
    lane.put = space_.pool + static_cast<std::ptrdiff_t>(nextChunk_++) * kChunkBytes;
    lane.pieceBegin = lane.put;
  }

  // The lane filled its chunk: it goes on in a new one.
  void NewChunk(Lane& lane) {
    ClosePiece(lane);
    lane.put = space_.pool + static_cast<std::ptrdiff_t>(nextChunk_++) * kChunkBytes;
    lane.pieceBegin = lane.put;
  }

  // Walks every lane's segments until one lane finds no segment left: the K
  // lanes run side by side with their state in registers. Returns the number
  // of that lane.
  template <int K>
  int RunAll(Lane* lanes) {
    std::uint32_t row[K];
    std::uint8_t* put[K];
    for (int l = 0; l < K; ++l) {
      row[l] = lanes[l].row;
      put[l] = lanes[l].put;
    }
    for (;;) {
      for (int l = 0; l < K; ++l) {
        const std::uint32_t link = forward_[row[l]];
        if (link & kStartMark) [[unlikely]] {
          lanes[l].put = put[l];
          End(lanes[l], static_cast<std::int32_t>(link & ~kStartMark));
          const bool more = Begin(lanes[l]);
          row[l] = lanes[l].row;
          put[l] = lanes[l].put;
          if (!more) {
            for (int k = 0; k < K; ++k) {
              lanes[k].row = row[k];
              lanes[k].put = put[k];
            }
            return l;
          }
          continue;
        }
        *put[l]++ = static_cast<std::uint8_t>(link);
        row[l] = link >> 8;
        if (ChunkFull(put[l])) [[unlikely]] {
          lanes[l].put = put[l];
          NewChunk(lanes[l]);
          put[l] = lanes[l].put;
        }
      }
    }
  }

  // Walks one lane to the end of its segment.
  void RunOut(Lane& lane) {
    for (;;) {
      const std::uint32_t link = forward_[lane.row];
      if (link & kStartMark) {
        End(lane, static_cast<std::int32_t>(link & ~kStartMark));
        return;
      }
      Put(lane, static_cast<std::uint8_t>(link));
      lane.row = link >> 8;
    }
  }

 private:
  void Put(Lane& lane, std::uint8_t byte) {
    *lane.put++ = byte;
    if (ChunkFull(lane.put)) NewChunk(lane);
  }

  void ClosePiece(Lane& lane) {
    const auto size = static_cast<std::int32_t>(lane.put - lane.pieceBegin);
    if (size == 0) return;
    const std::int32_t index = pieceCount_++;
    space_.pieces[static_cast<std::size_t>(index)] = {static_cast<std::int32_t>(lane.pieceBegin - space_.pool), size, -1};
    auto& segment = space_.segments[static_cast<std::size_t>(lane.segment)];
    if (segment.lastPiece < 0)
      segment.firstPiece = index;
    else
      space_.pieces[static_cast<std::size_t>(segment.lastPiece)].next = index;
    segment.lastPiece = index;
    lane.pieceBegin = lane.put;
  }

  const std::uint8_t* L_;
  std::uint32_t* forward_;
  LaneWalkSpace& space_;
  std::int32_t segmentCount_;
  std::int32_t nextSegment_ = 0;
  std::int32_t nextChunk_ = 0;
  std::int32_t pieceCount_ = 0;
};

}  // namespace

LaneWalkSpace::LaneWalkSpace(std::int32_t rows)
    : rows(rows),
      segments(kMaxSegments),
      // A piece closes when its chunk is full or its segment ends.
      pieces(static_cast<std::size_t>(PoolBytes(rows) / kChunkBytes + kMaxSegments + kLanes + 1)),
      storage_(new std::uint8_t[static_cast<std::size_t>(PoolBytes(rows) + kChunkBytes)]) {
  const auto address = reinterpret_cast<std::uintptr_t>(storage_.get());
  pool = storage_.get() + (kChunkBytes - address % kChunkBytes) % kChunkBytes;
}

void WalkInLanes(const std::uint8_t* L, std::int32_t n, std::int32_t f, std::uint32_t* forward,
                 LaneWalkSpace& space, std::uint8_t* out) {
  constexpr int kLanes = LaneWalkSpace::kLanes;
  if (n < kSmallestLaneBlock || n >= space.rows || n >= kLargestLaneBlock) {
    WalkForward(L, n, f, forward, out);
    return;
  }
  // Segments start at row f and at rows spread evenly over the block. Every
  // row lies on the walk of at most one segment, each ends where another
  // starts (or where its own began), so the lanes together put at most n + 1
  // bytes.
  std::int32_t count = 0;
  const auto mark = [&](std::uint32_t row) {
    if (forward[row] & kStartMark) return;
    space.segments[static_cast<std::size_t>(count)] = {row, forward[row], -1, -1, -1};
    forward[row] = kStartMark | static_cast<std::uint32_t>(count);
    ++count;
  };
  mark(static_cast<std::uint32_t>(f));
  const std::int32_t wanted = std::min(LaneWalkSpace::kMaxSegments, n / 256);
  for (std::int32_t k = 1; k < wanted; ++k)
    mark(static_cast<std::uint32_t>(std::int64_t{k} * (n + 1) / wanted));

  LaneWalk walk(L, forward, space, count);
  Lane lanes[kLanes];
  for (int l = 0; l < kLanes; ++l) {
    walk.FirstChunk(lanes[l]);
    walk.Begin(lanes[l]);  // count >= wanted - 1 > kLanes: each lane has a segment
  }
  const int finished = walk.RunAll<kLanes>(lanes);
  for (int l = 0; l < kLanes; ++l)
    if (l != finished) walk.RunOut(lanes[l]);

  for (std::int32_t k = 0; k < count; ++k) {
    const LaneWalkSpace::Segment& started = space.segments[static_cast<std::size_t>(k)];
    forward[started.row] = started.link;
  }

  // The segments in the order of the walk from row f.
  std::int32_t written = 0;
  std::int32_t segment = 0;
  for (std::int32_t visited = 0; visited < count && written < n; ++visited) {
    for (std::int32_t p = space.segments[static_cast<std::size_t>(segment)].firstPiece; p >= 0 && written < n;
         p = space.pieces[static_cast<std::size_t>(p)].next) {
      const auto& piece = space.pieces[static_cast<std::size_t>(p)];
      const std::int32_t size = std::min(piece.size, n - written);
      std::memcpy(out + written, space.pool + piece.offset, static_cast<std::size_t>(size));
      written += size;
    }
    segment = space.segments[static_cast<std::size_t>(segment)].next;
    if (segment == 0) break;  // back at row f before n bytes: a damaged block
  }
  if (written < n) WalkForward(L, n, f, forward, out);
}

}  // namespace vz::archive
