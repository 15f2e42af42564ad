#include "archive/FastBlockDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "archive/ArchiveErrors.h"
#include "archive/AriModel.h"

namespace vz::archive {

namespace {

// Bits of the payload, most significant first, from a 64-bit window.
class BitWindow {
 public:
  BitWindow(const std::uint8_t* data, std::int32_t size)
      : data_(data), limitBits_((std::int64_t{size} + 20) * 8) {
    Refill();
  }
  // The next k (0..32) bits.
  std::uint32_t Take(int k) {
    if (k == 0) return 0;
    auto bits = static_cast<std::uint32_t>(window_ >> (64 - k));
    window_ <<= k;
    available_ -= k;
    consumed_ += k;
    // A bit of the 21st byte beyond the payload: the stream is damaged.
    if (consumed_ > limitBits_) throw BlockDamaged(kTooManyBitModeBytes);
    if (available_ < 32) Refill();
    return bits;
  }
  std::int64_t BytesRequested() const { return (consumed_ + 7) / 8; }

 private:
  void Refill() {
    std::uint64_t word;
    std::memcpy(&word, data_ + consumed_ / 8, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    const int skip = static_cast<int>(consumed_ % 8);
    window_ = word << skip;
    available_ = 64 - skip;
  }

  const std::uint8_t* data_;
  std::int64_t limitBits_;
  std::uint64_t window_ = 0;
  int available_ = 0;
  std::int64_t consumed_ = 0;
};

class FastDecoder {
 public:
  explicit FastDecoder(BitWindow& bits) : bits_(bits) {
    value_ = static_cast<std::int32_t>(bits_.Take(16));
  }

  std::int32_t DecodeChar(GroupAriModel& m) {
    const std::int32_t range = high_ - low_ + 1;
    const std::int32_t total = m.cumulative[0];
    // target < cumulative[i] exactly when n < cumulative[i] * range.
    const std::int32_t n = (value_ - low_ + 1) * total - 1;
    std::int32_t i = 1;
    while (n < m.cumulative[i] * range) ++i;
    const std::int32_t character = m.indexToChar[i];
    high_ = low_ + (range * m.cumulative[i - 1]) / total - 1;
    low_ = low_ + (range * m.cumulative[i]) / total;
    Renormalise();
    m.UpdateModel(i);
    return character;
  }

  std::int32_t DecodeSymbol() {
    std::int32_t g = DecodeChar(model_.head);
    if (g > 1) return model_.groups[g].low + DecodeChar(model_.groups[g]);
    return g;
  }

 private:
  // All steps of the renormalisation loop at once: first the shifts while
  // the top bits of low and high agree, then the underflow steps (low 01...,
  // high 10...), each of which deletes bit 14.
  void Renormalise() {
    const int k1 = std::countl_zero(static_cast<std::uint16_t>(low_ ^ high_));
    if (k1 > 0) {
      low_ = (low_ << k1) & 0xFFFF;
      high_ = ((high_ << k1) & 0xFFFF) | ((1 << k1) - 1);
      value_ = ((value_ << k1) & 0xFFFF) | static_cast<std::int32_t>(bits_.Take(k1));
    }
    const int k2 = std::countl_one(static_cast<std::uint16_t>((low_ & ~high_) << 1));
    if (k2 > 0) {
      low_ = (low_ << k2) & 0x7FFF;
      high_ = 0x8000 | ((high_ << k2) & 0x7FFF) | ((1 << k2) - 1);
      value_ = (value_ & 0x8000) | ((value_ << k2) & 0x7FFF) | static_cast<std::int32_t>(bits_.Take(k2));
    }
  }

  BitWindow& bits_;
  std::int32_t low_ = 0;
  std::int32_t high_ = 0xFFFF;
  std::int32_t value_ = 0;
  HeadAriModel model_;
};

// Move-to-front output straight into the last column, skipping the gap.
class ColumnWriter {
 public:
  ColumnWriter(std::uint8_t* L, std::int32_t s, std::int32_t* counts) : L_(L), s_(s), counts_(counts) {
    for (int i = 0; i < 256; ++i) table_[i] = static_cast<std::uint8_t>(i);
  }
  void Rank(std::int32_t rank) {
    const std::uint8_t v = table_[rank];
    if (rank < 16) {
      for (std::int32_t k = rank; k > 0; --k) table_[k] = table_[k - 1];
    } else {
      std::memmove(table_ + 1, table_, static_cast<size_t>(rank));
    }
    table_[0] = v;
    L_[count_ < s_ ? count_ : count_ + 1] = v;
    ++counts_[v + 1];
    ++count_;
  }
  void ZeroRun(std::int32_t run) {
    const std::uint8_t v = table_[0];
    counts_[v + 1] += run;
    std::int32_t before = std::clamp(s_ - count_, 0, run);  // bytes before the gap
    std::memset(L_ + count_, v, static_cast<size_t>(before));
    std::memset(L_ + count_ + before + (before < run ? 1 : 0), v, static_cast<size_t>(run - before));
    count_ += run;
  }
  std::int32_t Count() const { return count_; }

 private:
  std::uint8_t table_[256];
  std::uint8_t* L_;
  std::int32_t s_;
  std::int32_t* counts_;
  std::int32_t count_ = 0;
};

BlockDamaged TooLong(std::int32_t maxLength) {
  return BlockDamaged("Damaged block: it decodes to more than " + std::to_string(maxLength) + " bytes.");
}

}  // namespace

LastColumn DecodeLastColumn(const std::uint8_t* payload, std::int32_t size, std::int32_t s, std::int32_t maxLength,
                            std::uint8_t* L, std::int32_t* counts) {
  std::fill(counts, counts + 257, 0);
  counts[0] = 1;
  BitWindow bits(payload, size);
  FastDecoder decoder(bits);
  ColumnWriter column(L, s, counts);
  std::int32_t symbol = decoder.DecodeSymbol();
  while (symbol != kEndOfBlockSymbol) {
    if (symbol > 1) {
      if (column.Count() >= maxLength) throw TooLong(maxLength);
      column.Rank(symbol - 1);
      symbol = decoder.DecodeSymbol();
      continue;
    }
    std::int32_t run = 0;
    std::int32_t weight = 1;
    do {
      run += (symbol == 0) ? weight : 2 * weight;
      if (run > maxLength - column.Count()) throw TooLong(maxLength);
      weight *= 2;
      symbol = decoder.DecodeSymbol();
    } while (symbol <= 1);
    column.ZeroRun(run);
  }
  LastColumn result;
  result.n = column.Count();
  if (s > result.n) throw BlockDamaged("Damaged block: index out of range.");
  L[s] = 0;
  result.payloadBytesTaken = static_cast<std::int32_t>(std::min<std::int64_t>(bits.BytesRequested(), size));
  return result;
}

}  // namespace vz::archive
