#include "archive/BlockExpander.h"

#include <algorithm>
#include <cstring>

#include "archive/ArchiveErrors.h"
#include "archive/Crc32.h"
#include "archive/FastBlockDecoder.h"
#include "archive/InverseTransform.h"

namespace vz::archive {

void CheckBlockHeader(const DataBlockHeader& header) {
  if (header.CompressedSize < 0 || header.CompressedSize > kMaxPayloadBytes)
    throw BlockDamaged("Damaged block: compressed size " + std::to_string(header.CompressedSize) +
                        " does not fit the work buffers.");
  if (header.FirstIndex < 0 || header.FirstIndex > kMaxBlockLength || header.SentinelIndex < 0 ||
      header.SentinelIndex > kMaxBlockLength)
    throw BlockDamaged("Damaged block: index out of range.");
}

ExpandedBlock ExpandPayload(const DataBlockHeader& header, BlockBuffers& buffers) {
  CheckBlockHeader(header);
  const auto size = static_cast<size_t>(header.CompressedSize);
  buffers.payload.resize(size + kPayloadPadding);
  std::memset(buffers.payload.data() + size, 0, kPayloadPadding);

  std::uint8_t* L = buffers.bufferA.data();
  const LastColumn column = DecodeLastColumn(buffers.payload.data(), header.CompressedSize, header.SentinelIndex,
                                             kMaxBlockLength, L, buffers.counts.data());
  const std::int32_t n = column.n;
  const std::int32_t f = header.FirstIndex;
  if (f > n) throw BlockDamaged("Damaged block: index out of range.");

  BuildLinks(L, n, header.SentinelIndex, buffers.counts.data(), buffers.running.data(), buffers.transform.data());
  std::uint8_t* out = buffers.bufferB.data();
  WalkInLanes(L, n, f, buffers.transform.data(), buffers.walk, out);
  ExpandedBlock result;
  result.crcOk = Crc32Of(out, static_cast<size_t>(n)) == header.BlockCRC;
  result.data = out;
  result.length = n;
  result.payloadBytesTaken = column.payloadBytesTaken;
  return result;
}

DataBlockHeader ReadBlock(BitFile& archive, BlockBuffers& buffers) {
  DataBlockHeader header;
  header.ReadChecked(archive);
  CheckBlockHeader(header);
  const auto size = static_cast<size_t>(header.CompressedSize);
  buffers.payload.resize(size + kPayloadPadding);
  archive.ReadBytes(buffers.payload.data(), header.CompressedSize);
  std::memset(buffers.payload.data() + size, 0, kPayloadPadding);
  return header;
}

void BlockExpander::ExpandBlock(BitFile& archive, BlockSink& out) {
  BlockBuffers& buffers = SharedBlockBuffers::Buffers();
  blockOk_ = false;
  archive.ResetBitBuffer();
  const std::int32_t payloadStart = archive.GetBufferedPosition() + DataBlockHeader::kSize;
  DataBlockHeader header = ReadBlock(archive, buffers);
  ExpandedBlock block = ExpandPayload(header, buffers);
  // The next record follows the last payload byte the decoder took.
  if (block.payloadBytesTaken < header.CompressedSize)
    archive.SmartSeek(payloadStart + block.payloadBytesTaken, SeekOrigin::FromStart);
  archive.ResetBitBuffer();
  blockOk_ = block.crcOk;
  if (!block.crcOk && onMessage) onMessage(kCrcMismatchMessage);
  out.Write(block.data, block.length);
}

}  // namespace vz::archive
