#include "archive/BlockBuffers.h"

namespace vz::archive {

BlockBuffers::BlockBuffers()
    : transform(kTransformSlots),
      walk(kTransformSlots),
      counts(257 + 1),
      running(257 + 1),
      bufferA(kBlockBufferBytes),
      bufferB(kBlockBufferBytes) {}

BlockBuffers& SharedBlockBuffers::Buffers() {
  static BlockBuffers buffers;
  return buffers;
}

}  // namespace vz::archive
