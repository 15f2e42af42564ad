#pragma once
// Move-to-front over the 256 byte values: every coded byte goes to the very
// front. Both tables start as the identity.
#include <array>
#include <cstdint>
#include <cstring>

namespace vz::archive {

class MtfBase {
 public:
  MtfBase() { Reset(); }
  void Reset() {
    for (int i = 0; i < 256; ++i) {
      positionOf_[i] = static_cast<std::uint8_t>(i);
      valueAt_[i] = static_cast<std::uint8_t>(i);
    }
  }

 protected:
  std::array<std::uint8_t, 256> positionOf_{};
  std::array<std::uint8_t, 256> valueAt_{};
};

class MtfDecoder : public MtfBase {
 public:
  // The byte at position rank, moved to the front.
  std::uint8_t Decode(std::uint8_t rank) {
    std::uint8_t v = valueAt_[rank];
    std::memmove(valueAt_.data() + 1, valueAt_.data(), rank);
    valueAt_[0] = v;
    return v;
  }
  // The position table is only kept in step when asked: decoding needs only the values.
  void SyncPositions() {
    for (int i = 0; i < 256; ++i) positionOf_[valueAt_[i]] = static_cast<std::uint8_t>(i);
  }
};

class MtfEncoder : public MtfBase {
 public:
  std::uint8_t Encode(std::uint8_t value) {
    std::uint8_t rank = positionOf_[value];
    std::memmove(valueAt_.data() + 1, valueAt_.data(), rank);
    valueAt_[0] = value;
    for (int i = 0; i <= rank; ++i) positionOf_[valueAt_[i]] = static_cast<std::uint8_t>(i);
    return rank;
  }
};

}  // namespace vz::archive
