#include "archive/Compressor.h"

#include <divsufsort.h>

#include <stdexcept>

#include "archive/BlockBuffers.h"
#include "archive/Crc32.h"
#include "archive/Mtf.h"
#include "archive/StrucAriEncoder.h"

namespace vz::archive {

namespace {

// Rows of the sorted rotations of x plus marker: row 0 starts with the
// marker, row r >= 1 with the suffix sa[r - 1]. The last column of a row
// starting at p is x[p - 1], the marker for p = 0.
void LastColumn(const std::uint8_t* x, std::int32_t n, const std::int32_t* sa, std::uint8_t* out,
                std::int32_t& sentinel, std::int32_t& first) {
  sentinel = 0;
  first = (n <= 1) ? 0 : -1;
  std::int32_t k = 0;
  if (n > 0) out[k++] = x[n - 1];
  for (std::int32_t r = 1; r <= n; ++r) {
    std::int32_t p = sa[r - 1];
    if (p == 0) {
      sentinel = r;
      continue;
    }
    if (p == 1) first = r;
    out[k++] = x[p - 1];
  }
}

}  // namespace

CompressedBlock Compressor::CompressBlock(const std::uint8_t* data, std::int32_t n) {
  if (n < 0 || n > kMaxBlockLength) throw std::invalid_argument("block too large");
  CompressedBlock block;
  suffixArray_.resize(static_cast<size_t>(n) + 1);
  lastColumn_.resize(static_cast<size_t>(n) + 1);
  if (n > 0 && divsufsort(data, suffixArray_.data(), n) != 0) throw std::runtime_error("suffix sorting failed");
  LastColumn(data, n, suffixArray_.data(), lastColumn_.data(), block.header.SentinelIndex, block.header.FirstIndex);

  ranks_.resize(static_cast<size_t>(n) + 1);
  MtfEncoder mtf;
  for (std::int32_t k = 0; k < n; ++k) ranks_[k] = mtf.Encode(lastColumn_[k]);

  StreamAriEncoder output;
  output.bytes.reserve(static_cast<size_t>(n) / 2 + 64);
  StreamStructuredAriEncoder encoder(output);
  encoder.EncodeBlock(ranks_.data(), n);
  block.payload = std::move(output.bytes);
  block.header.BlockCRC = Crc32Of(data, static_cast<size_t>(n));
  block.header.CompressedSize = static_cast<std::int32_t>(block.payload.size());
  return block;
}

}  // namespace vz::archive
