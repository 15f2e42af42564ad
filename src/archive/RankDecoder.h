#pragma once
// The fast structured arithmetic decoder: the same models, coder and zero-run
// digits as the step-by-step decoder, faster, not different. Renormalisation
// takes all its bits in one go from a 64-bit window that refills without a
// branch; the symbol search compares products instead of dividing by the
// range, and counts the first indices without branches; the model update
// raises the first cumulative counts without a loop; the new bounds divide by
// the model's total through an exact reciprocal. DecodeRanks hands the
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

// Bits of the payload, most significant first. The window is refilled from
// the payload after every take, without a branch: the load for the next take
// runs while the caller is still searching its model. The buffer must hold 40
// zero bytes after the payload.
class BitWindow {
 public:
  BitWindow(const std::uint8_t* data, std::int32_t size) : data_(data), limitBits_((std::int64_t{size} + 20) * 8) {
    Refill();
  }
  // The next k (0..32) bits.
  std::uint32_t Take(int k) {
    // Two shifts, so that k = 0 gives 0 without a branch.
    const auto bits = static_cast<std::uint32_t>((window_ >> 1) >> (63 - k));
    consumed_ += k;
    // A bit of the 21st byte beyond the payload: the stream is damaged.
    if (consumed_ > limitBits_) throw BlockDamaged(kTooManyBitModeBytes);
    Refill();
    return bits;
  }
  std::int64_t BytesRequested() const { return (consumed_ + 7) / 8; }

 private:
  void Refill() {
    std::uint64_t word;
    std::memcpy(&word, data_ + consumed_ / 8, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    window_ = word << (consumed_ % 8);
  }

  const std::uint8_t* data_;
  std::int64_t limitBits_;
  std::uint64_t window_ = 0;
  std::int64_t consumed_ = 0;
};

class FastAriDecoder {
 public:
  // A model's total stays below its maximum plus one increment: it is halved
  // before an update once it reaches the maximum.
  static constexpr std::int32_t kLargestTotal = 8192 + 32;
  // Indices looked at together, without branches, by the search and the
  // update; most symbols of a model sit among its first indices.
  static constexpr std::int32_t kLanes = 8;

  explicit FastAriDecoder(BitWindow& bits) : bits_(bits) { value_ = static_cast<std::int32_t>(bits_.Take(16)); }

  std::int32_t DecodeChar(GroupAriModel& m) {
    const std::int32_t range = high_ - low_ + 1;
    const std::int32_t total = m.cumulative[0];
    // target < cumulative[i] exactly when n < cumulative[i] * range. The
    // cumulative counts fall with the index and are 0 past the last one, so
    // the symbol's index is one more than the number of counts above target.
    const std::int32_t n = (value_ - low_ + 1) * total - 1;
    std::int32_t i = 1;
    for (std::int32_t k = 1; k <= kLanes; ++k) i += (n < m.cumulative[k] * range) ? 1 : 0;
    if (i > kLanes) [[unlikely]]
      while (n < m.cumulative[i] * range) ++i;
    const std::int32_t character = m.indexToChar[i];
    high_ = low_ + DivideByTotal(range * m.cumulative[i - 1], total) - 1;
    low_ = low_ + DivideByTotal(range * m.cumulative[i], total);
    Renormalise();
    Update(m, i);
    return character;
  }

  std::int32_t DecodeSymbol() {
    std::int32_t g = DecodeChar(model_.head);
    if (g > 1) return model_.groups[g].low + DecodeChar(model_.groups[g]);
    return g;
  }

 private:
  // GroupAriModel::UpdateModel with the cumulative counts of the first
  // indices raised without a loop: the index whose frequency rises is the
  // first of the run of equal frequencies that ends at i (frequency[0] is 0,
  // the others not). Swapping an index with itself changes nothing.
  static void Update(GroupAriModel& m, std::int32_t i) {
    if (i > kLanes || m.cumulative[0] >= m.maximumTotal) [[unlikely]] {
      m.UpdateModel(i);
      return;
    }
    std::int32_t j = i;
    while (m.frequency[j] == m.frequency[j - 1]) --j;
    const std::int32_t charI = m.indexToChar[i];
    const std::int32_t charJ = m.indexToChar[j];
    m.indexToChar[i] = charJ;
    m.indexToChar[j] = charI;
    m.charToIndex[charI] = j;
    m.charToIndex[charJ] = i;
    m.frequency[j] += m.increment;
    for (std::int32_t k = 0; k < kLanes; ++k) m.cumulative[k] += (k < j) ? m.increment : 0;
  }

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
  // the top bits of low and high agree (k1), then the underflow steps (low
  // 01..., high 10..., k2), each of which deletes bit 14. The value takes its
  // k1 + k2 new bits in one go: of the bits shifted through it, bit 15 is the
  // one that stood there after the first shifts, the rest the last 15.
  void Renormalise() {
    const int k1 = std::countl_zero(static_cast<std::uint16_t>(low_ ^ high_));
    const std::int32_t low1 = (low_ << k1) & 0xFFFF;
    const std::int32_t high1 = ((high_ << k1) & 0xFFFF) | ((1 << k1) - 1);
    const int k2 = std::countl_one(static_cast<std::uint16_t>((low1 & ~high1) << 1));
    low_ = (low1 & 0x8000) | ((low1 << k2) & 0x7FFF);
    high_ = (high1 & 0x8000) | ((high1 << k2) & 0x7FFF) | ((1 << k2) - 1);
    const std::uint64_t shifted = (std::uint64_t{static_cast<std::uint32_t>(value_)} << (k1 + k2)) | bits_.Take(k1 + k2);
    value_ = static_cast<std::int32_t>(((shifted >> k2) & 0x8000) | (shifted & 0x7FFF));
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
