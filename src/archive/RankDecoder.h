#pragma once
// The fast structured arithmetic decoder: the same models, coder and zero-run
// digits as the step-by-step decoder, faster, not different. Renormalisation
// takes all its bits at once from a 64-bit window, and the symbol search
// compares products instead of dividing by the range, and the new bounds
// divide by the model's total through an exact reciprocal. DecodeRanks hands the
// ranks and zero runs of one block to a sink, so the expander can fuse the
// move-to-front stage into the decoding loop.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "archive/ArchiveErrors.h"
#include "archive/AriModel.h"

namespace vz::archive {

// Bits of the payload, most significant first, from a 64-bit window. The
// buffer must hold 40 zero bytes after the payload.
class BitWindow {
 public:
  BitWindow(const std::uint8_t* data, std::int32_t size) : data_(data), limitBits_((std::int64_t{size} + 20) * 8) {
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

class FastAriDecoder {
 public:
  // A model's total stays below its maximum plus one increment: it is halved
  // before an update once it reaches the maximum.
  static constexpr std::int32_t kLargestTotal = 8192 + 32;

  explicit FastAriDecoder(BitWindow& bits) : bits_(bits) { value_ = static_cast<std::int32_t>(bits_.Take(16)); }

  std::int32_t DecodeChar(GroupAriModel& m) {
    const std::int32_t range = high_ - low_ + 1;
    const std::int32_t total = m.cumulative[0];
    // target < cumulative[i] exactly when n < cumulative[i] * range.
    const std::int32_t n = (value_ - low_ + 1) * total - 1;
    std::int32_t i = 1;
    while (n < m.cumulative[i] * range) ++i;
    const std::int32_t character = m.indexToChar[i];
    high_ = low_ + DivideByTotal(range * m.cumulative[i - 1], total) - 1;
    low_ = low_ + DivideByTotal(range * m.cumulative[i], total);
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
  // x / total for x = range * c with range <= 2^16 and c <= total, as
  // (x * m) >> 45 with m = 2^45 / total + 1. Exact: the error x * (m -
  // 2^45 / total) / 2^45 is below x / 2^45, and x * total < 2^44 keeps it under
  // the 1 / total the remainder leaves; x * m < 2^62 never overflows.
  static std::int32_t DivideByTotal(std::int32_t x, std::int32_t total) {
    static const std::array<std::uint64_t, kLargestTotal + 1> reciprocal = [] {
      std::array<std::uint64_t, kLargestTotal + 1> r{};
      for (std::size_t d = 1; d < r.size(); ++d) r[d] = (std::uint64_t{1} << 45) / d + 1;
      return r;
    }();
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(x) * reciprocal[static_cast<std::size_t>(total)]) >> 45);
  }

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

inline BlockDamaged BlockTooLong(std::int32_t maxLength) {
  return BlockDamaged("Damaged block: it decodes to more than " + std::to_string(maxLength) + " bytes.");
}

// Decodes one block's payload (size bytes, then 40 zero bytes) and hands
// each rank (1..256) to sink.Rank and each zero run to sink.ZeroRun, never
// more than maxLength bytes in all. Returns the bytes of input requested.
template <typename Sink>
std::int64_t DecodeRanks(const std::uint8_t* payload, std::int32_t size, std::int32_t maxLength, Sink& sink) {
  BitWindow bits(payload, size);
  FastAriDecoder decoder(bits);
  std::int32_t count = 0;
  std::int32_t symbol = decoder.DecodeSymbol();
  while (symbol != kEndOfBlockSymbol) {
    if (symbol > 1) {
      if (count >= maxLength) throw BlockTooLong(maxLength);
      sink.Rank(symbol - 1);
      ++count;
      symbol = decoder.DecodeSymbol();
      continue;
    }
    std::int32_t run = 0;
    std::int32_t weight = 1;
    do {
      run += (symbol == 0) ? weight : 2 * weight;
      if (run > maxLength - count) throw BlockTooLong(maxLength);
      weight *= 2;
      symbol = decoder.DecodeSymbol();
    } while (symbol <= 1);
    sink.ZeroRun(run);
    count += run;
  }
  return bits.BytesRequested();
}

}  // namespace vz::archive
