#pragma once
// The encoding direction of the structured arithmetic coder: the same models,
// updates and 16-bit coder as the decoder. A block is coded as its
// move-to-front ranks, zero runs as bijective base-2 digits (least significant
// first), then the end symbol; the output ends so that the decoder's reads
// cover the whole payload and at most 20 bytes beyond it.
#include <cstdint>
#include <vector>

#include "archive/AriModel.h"

namespace vz::archive {

// Bits into memory, most significant first; a byte is stored when complete.
class StreamAriEncoder {
 public:
  void Bit(bool bit) {
    current_ = static_cast<std::uint8_t>((current_ << 1) | (bit ? 1 : 0));
    if (++filled_ == 8) {
      bytes.push_back(current_);
      current_ = 0;
      filled_ = 0;
    }
  }
  // Pads the last byte with zero bits.
  void Finish() {
    while (filled_ != 0) Bit(false);
  }
  std::vector<std::uint8_t> bytes;

 private:
  std::uint8_t current_ = 0;
  int filled_ = 0;
};

template <typename Output>
class StructuredAriEncoder {
 public:
  explicit StructuredAriEncoder(Output& output) : output_(output) {}

  void StartEncoding() {
    model_.Reset();
    low_ = 0;
    high_ = 0xFFFF;
    pending_ = 0;
  }

  void EncodeChar(GroupAriModel& m, std::int32_t character) {
    const std::int32_t i = m.charToIndex[character];
    const std::int32_t range = high_ - low_ + 1;
    const std::int32_t total = m.cumulative[0];
    high_ = low_ + (range * m.cumulative[i - 1]) / total - 1;
    low_ = low_ + (range * m.cumulative[i]) / total;
    for (;;) {
      if (high_ < 0x8000) {
        BitPlusPending(false);
      } else if (low_ >= 0x8000) {
        BitPlusPending(true);
        low_ -= 0x8000;
        high_ -= 0x8000;
      } else if (low_ >= 0x4000 && high_ < 0xC000) {
        ++pending_;
        low_ -= 0x4000;
        high_ -= 0x4000;
      } else {
        break;
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
    }
    m.UpdateModel(i);
  }

  void EncodeSymbol(std::int32_t symbol) {
    const std::int32_t g = model_.symbolToGroup[symbol];
    EncodeChar(model_.head, g);
    if (g > 1) EncodeChar(model_.groups[g], symbol - model_.groups[g].low);
  }

  // Two more bits select a point inside the final interval; the decoder's
  // 16 bits of look-ahead then run past the payload's last byte.
  void FinishEncoding() {
    ++pending_;
    BitPlusPending(low_ >= 0x4000);
    output_.Finish();
  }

  // Codes a whole block of ranks followed by the end symbol.
  void EncodeBlock(const std::uint8_t* ranks, std::int32_t count) {
    StartEncoding();
    std::int32_t k = 0;
    while (k < count) {
      if (ranks[k] != 0) {
        EncodeSymbol(ranks[k] + 1);
        ++k;
        continue;
      }
      std::int32_t run = 0;
      while (k < count && ranks[k] == 0) {
        ++run;
        ++k;
      }
      EncodeZeroRun(run);
    }
    EncodeSymbol(kEndOfBlockSymbol);
    FinishEncoding();
  }

 private:
  void EncodeZeroRun(std::int32_t run) {
    while (run > 0) {
      if (run & 1) {
        EncodeSymbol(0);
        run = (run - 1) / 2;
      } else {
        EncodeSymbol(1);
        run = (run - 2) / 2;
      }
    }
  }

  void BitPlusPending(bool bit) {
    output_.Bit(bit);
    for (; pending_ > 0; --pending_) output_.Bit(!bit);
  }

  Output& output_;
  std::int32_t low_ = 0;
  std::int32_t high_ = 0xFFFF;
  std::int32_t pending_ = 0;
  HeadAriModel model_;
};

using StreamStructuredAriEncoder = StructuredAriEncoder<StreamAriEncoder>;

}  // namespace vz::archive
