#pragma once
// Compresses one block: forward Burrows-Wheeler transform with an end marker
// (suffix sorting by libdivsufsort), move-to-front, structured arithmetic coding.
#include <cstdint>
#include <vector>

#include "archive/ArchiveRecords.h"

namespace vz::archive {

struct CompressedBlock {
  DataBlockHeader header;
  std::vector<std::uint8_t> payload;
};

class Compressor {
 public:
  // Block bytes x[0..n-1], n <= 410599.
  CompressedBlock CompressBlock(const std::uint8_t* data, std::int32_t n);

 private:
  std::vector<std::int32_t> suffixArray_;
  std::vector<std::uint8_t> lastColumn_;
  std::vector<std::uint8_t> ranks_;
};

// The transformed block (last column without the marker) and its two rows:
// SentinelIndex, the row of the rotation starting at x[0], and FirstIndex,
// the row of the rotation starting at x[1] (row 0 when n = 1).
struct ForwardTransform {
  std::vector<std::uint8_t> lastColumn;
  std::int32_t sentinelIndex = 0;
  std::int32_t firstIndex = 0;
};
ForwardTransform TransformBlock(const std::uint8_t* data, std::int32_t n);

}  // namespace vz::archive
