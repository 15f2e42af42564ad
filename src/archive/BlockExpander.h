#pragma once
// Turns one data block back into its bytes: header, arithmetic-decoded
// move-to-front ranks, move-to-front, inverse Burrows-Wheeler transform,
// CRC-32 check.
#include <cstdint>
#include <functional>
#include <string>

#include "archive/ArchiveRecords.h"
#include "archive/BitFile.h"
#include "archive/BlockBuffers.h"

namespace vz::archive {

inline constexpr const char* kCrcMismatchMessage = "CRC does not match!";

// Where expanded bytes go (the destination file, or nowhere when testing).
class BlockSink {
 public:
  virtual ~BlockSink() = default;
  virtual void Write(const std::uint8_t* data, std::int32_t size) = 0;
};

struct ExpandedBlock {
  const std::uint8_t* data = nullptr;  // inside the buffers the block was expanded in
  std::int32_t length = 0;
  bool crcOk = false;
  std::int32_t payloadBytesTaken = 0;  // payload bytes the decoder consumed (<= CompressedSize)
};

// Rejects a header whose sizes cannot fit the work buffers (BlockDamaged).
void CheckBlockHeader(const DataBlockHeader& header);

// Expands a block whose payload is in buffers.payload (CompressedSize bytes,
// then 20 zero bytes). Throws BlockDamaged for a block that cannot be
// expanded inside the buffers; a CRC mismatch is only reported in crcOk.
ExpandedBlock ExpandPayload(const DataBlockHeader& header, BlockBuffers& buffers);

// Reads the block header at the archive's position and the payload after it
// into buffers.payload.
DataBlockHeader ReadBlock(BitFile& archive, BlockBuffers& buffers);

class BlockExpander {
 public:
  // Receives "CRC does not match!" for each block whose CRC differs.
  std::function<void(const std::string&)> onMessage;

  // Expands the block at the archive's position into out and leaves the
  // archive after the block (where its decoder stopped taking payload bytes).
  void ExpandBlock(BitFile& archive, BlockSink& out);
  bool BlockOK() const { return blockOk_; }

 private:
  bool blockOk_ = false;
};

}  // namespace vz::archive
