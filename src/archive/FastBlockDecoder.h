#pragma once
// The decoding path the expander uses: the fast arithmetic decoder
// (RankDecoder.h) with the move-to-front stage fused in, so that a payload
// turns straight into the last column of the sorted rotations. The tests hold
// it to the step-by-step decoder.
#include <cstdint>

namespace vz::archive {

// Zero bytes the payload buffer must hold after the payload: the 20 the
// decoder may read beyond it, and room for the 64-bit window's look-ahead.
inline constexpr std::int32_t kPayloadPadding = 40;

struct LastColumn {
  std::int32_t n = 0;                 // block length (ranks decoded)
  std::int32_t payloadBytesTaken = 0;  // bytes requested, payload and zeros beyond
};

// Decodes the payload (size bytes, then kPayloadPadding zero bytes) into
// L[0..n] with the end marker's place s left as a 0 gap, counting byte value
// v as symbol v + 1 in counts[0..256] (counts[0] = 1 for the marker). Throws
// BlockDamaged when the block would pass maxLength bytes, when the decoder
// reads more than 20 bytes beyond the payload, or when s > n.
LastColumn DecodeLastColumn(const std::uint8_t* payload, std::int32_t size, std::int32_t s, std::int32_t maxLength,
                            std::uint8_t* L, std::int32_t* counts);

}  // namespace vz::archive
