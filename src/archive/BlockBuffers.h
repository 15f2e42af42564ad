#pragma once
// Work buffers of block expansion. One process-wide set (SharedBlockBuffers) serves the
// sequential path, so no block allocates memory. The parallel path gives each
// block in flight its own BlockBuffers, owned by the extractor, because the
// shared set can only hold one block at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/InverseTransform.h"

namespace vz::archive {

// The expanded block plus its end marker must fit the transformation vector.
inline constexpr std::int32_t kTransformSlots = 410600;
inline constexpr std::int32_t kMaxBlockLength = kTransformSlots - 1;  // 410599
inline constexpr std::int32_t kBlockBufferBytes = 821202;
// A payload may not be longer than this: a block of kMaxBlockLength bytes
// never needs more than 26 bits a byte, so a longer one is damaged.
inline constexpr std::int32_t kMaxPayloadBytes = 4 * kTransformSlots;

// A fixed-size array allocated without being filled: the system only
// provides its pages once a block of that size is expanded.
template <typename T>
class WorkArray {
 public:
  explicit WorkArray(std::size_t size) : items_(new T[size]) {}
  T* data() { return items_.get(); }
  const T* data() const { return items_.get(); }

 private:
  std::unique_ptr<T[]> items_;
};

struct BlockBuffers {
  BlockBuffers();
  // Inverse transform links (the transformation vector), each with its
  // row's byte in the low 8 bits, and the work space of the walk over them.
  WorkArray<std::uint32_t> transform;
  LaneWalkSpace walk;
  WorkArray<std::int32_t> counts;
  WorkArray<std::int32_t> running;
  WorkArray<std::uint8_t> bufferA;
  WorkArray<std::uint8_t> bufferB;
  // The payload of the block being expanded, with zero padding after it.
  std::vector<std::uint8_t> payload;
};

class SharedBlockBuffers {
 public:
  // The process-wide buffers, allocated at first use and kept to the end.
  static BlockBuffers& Buffers();
};

}  // namespace vz::archive
