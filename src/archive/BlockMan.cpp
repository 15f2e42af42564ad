#include "archive/BlockMan.h"

namespace vz::archive {

TBlockBuffers::TBlockBuffers()
    : transform(kTransformSlots),
      backward(kTransformSlots),
      counts(257 + 1),
      running(257 + 1),
      bufferA(kBlockBufferBytes),
      bufferB(kBlockBufferBytes) {}

TBlockBuffers& TBlockMan::Buffers() {
  static TBlockBuffers buffers;
  return buffers;
}

}  // namespace vz::archive
