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

}  // namespace vz::archive
