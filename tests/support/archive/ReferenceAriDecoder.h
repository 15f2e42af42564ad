#pragma once
// The step-by-step 16-bit structured arithmetic decoder and the block
// decoding loop that turns a payload into move-to-front ranks (zero runs
// expanded, stopped by the end symbol), one bit at a time: the reference the
// expander's fast decoder is held to. The bit input is a template parameter:
// the archive's bit file (FileStructuredAriDecoder) or a payload in memory.
#include <cstdint>
#include <cstring>
#include <string>

#include "archive/ArchiveErrors.h"
#include "archive/AriModel.h"
#include "support/archive/BitLevelFile.h"

namespace vz::archive {

// Bits from the archive's bit file, under its byte limit.
struct BitFileInput {
  testing::BitLevelFile& file;
  bool Bit() { return file.ReadBit(); }
};

// Bits from a payload in memory. The buffer must hold size + 20 bytes, the
// 20 after the payload zero: as with the bit file, a decoder may take up to
// 20 bytes beyond the payload, and the 21st is a damaged block.
class MemoryBitInput {
 public:
  MemoryBitInput(const std::uint8_t* data, std::int32_t size) : data_(data), size_(size) {}
  bool Bit() {
    if (mask_ == 0) {
      if (taken_ - size_ >= 20) throw BlockDamaged(kTooManyBitModeBytes);
      current_ = data_[taken_++];
      mask_ = 0x80;
    }
    bool bit = (current_ & mask_) != 0;
    mask_ >>= 1;
    return bit;
  }
  // Bytes requested so far (payload bytes and zero bytes beyond it).
  std::int32_t BytesRequested() const { return taken_; }

 private:
  const std::uint8_t* data_;
  std::int32_t size_;
  std::int32_t taken_ = 0;
  std::uint32_t mask_ = 0;
  std::uint8_t current_ = 0;
};

template <typename Input>
class StructuredAriDecoder {
 public:
  explicit StructuredAriDecoder(Input& input) : input_(input) {}

  void StartDecoding() {
    model_.Reset();
    value_ = 0;
    for (int k = 0; k < 16; ++k) value_ = 2 * value_ + (input_.Bit() ? 1 : 0);
    low_ = 0;
    high_ = 0xFFFF;
  }

  std::int32_t DecodeChar(GroupAriModel& m) {
    const std::int32_t range = high_ - low_ + 1;
    const std::int32_t total = m.cumulative[0];
    const std::int32_t target = ((value_ - low_ + 1) * total - 1) / range;
    std::int32_t i = 1;
    while (target < m.cumulative[i]) ++i;
    const std::int32_t character = m.indexToChar[i];
    high_ = low_ + (range * m.cumulative[i - 1]) / total - 1;
    low_ = low_ + (range * m.cumulative[i]) / total;
    for (;;) {
      if (high_ >= 0x8000) {
        if (low_ >= 0x8000) {
          value_ -= 0x8000;
          low_ -= 0x8000;
          high_ -= 0x8000;
        } else if (low_ >= 0x4000 && high_ < 0xC000) {
          value_ -= 0x4000;
          low_ -= 0x4000;
          high_ -= 0x4000;
        } else {
          break;
        }
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
      value_ = 2 * value_ + (input_.Bit() ? 1 : 0);
    }
    m.UpdateModel(i);
    return character;
  }

  std::int32_t DecodeSymbol() {
    std::int32_t g = DecodeChar(model_.head);
    if (g > 1) return model_.groups[g].low + DecodeChar(model_.groups[g]);
    return g;
  }

  // Decodes one block's ranks into out (room for capacity bytes); returns the
  // count. A stream that would write more is a damaged block.
  std::int32_t DecodeBlock(std::uint8_t* out, std::int32_t capacity) {
    StartDecoding();
    std::int32_t count = 0;
    std::int32_t s = DecodeSymbol();
    while (s != kEndOfBlockSymbol) {
      if (s > 1) {
        if (count >= capacity) throw TooLong(capacity);
        out[count++] = static_cast<std::uint8_t>(s - 1);
        s = DecodeSymbol();
        continue;
      }
      std::int32_t run = 0;
      std::int32_t weight = 1;
      do {
        run += (s == 0) ? weight : 2 * weight;
        if (run > capacity - count) throw TooLong(capacity);
        weight *= 2;
        s = DecodeSymbol();
      } while (s <= 1);
      std::memset(out + count, 0, static_cast<size_t>(run));
      count += run;
    }
    return count;
  }

  std::int32_t Low() const { return low_; }
  std::int32_t High() const { return high_; }
  std::int32_t Value() const { return value_; }
  HeadAriModel& Model() { return model_; }

 private:
  static BlockDamaged TooLong(std::int32_t capacity) {
    return BlockDamaged("Damaged block: it decodes to more than " + std::to_string(capacity) + " bytes.");
  }

  Input& input_;
  std::int32_t low_ = 0;
  std::int32_t high_ = 0xFFFF;
  std::int32_t value_ = 0;
  HeadAriModel model_;
};

using MemoryStructuredAriDecoder = StructuredAriDecoder<MemoryBitInput>;

// The decoder over the archive's bit file; DecodeBlock resets the file's bit
// buffer before and after the block, so each block starts on a byte boundary.
class FileStructuredAriDecoder {
 public:
  explicit FileStructuredAriDecoder(testing::BitLevelFile& file) : input_{file}, decoder_(input_) {}
  std::int32_t DecodeBlock(std::uint8_t* out, std::int32_t capacity) {
    input_.file.ResetBitBuffer();
    std::int32_t count = decoder_.DecodeBlock(out, capacity);
    input_.file.ResetBitBuffer();
    return count;
  }
  StructuredAriDecoder<BitFileInput>& Decoder() { return decoder_; }

 private:
  BitFileInput input_;
  StructuredAriDecoder<BitFileInput> decoder_;
};

}  // namespace vz::archive
