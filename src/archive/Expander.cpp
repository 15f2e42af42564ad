#include "archive/Expander.h"

#include <algorithm>
#include <cstring>

#include "archive/ArchiveErrors.h"
#include "archive/Crc32.h"
#include "archive/Mtf.h"
#include "archive/StrucAriDecoder.h"

namespace vz::archive {

namespace {

// Undoes move-to-front: L[0..n] with the end marker's place s left as a gap
// (0), counting each byte value v as symbol v + 1 and the marker as symbol 0.
void UndoMoveToFront(const std::uint8_t* ranks, std::int32_t n, std::int32_t s, std::uint8_t* L,
                     std::int32_t* counts) {
  TMTFDecoder mtf;
  std::fill(counts, counts + 257, 0);
  counts[0] = 1;
  for (std::int32_t k = 0; k < s; ++k) {
    std::uint8_t v = mtf.Decode(ranks[k]);
    L[k] = v;
    ++counts[v + 1];
  }
  L[s] = 0;
  for (std::int32_t k = s; k < n; ++k) {
    std::uint8_t v = mtf.Decode(ranks[k]);
    L[k + 1] = v;
    ++counts[v + 1];
  }
}

// Inverse transform of L[0..n] (marker at s), starting at row f; writes the
// n block bytes. Each link holds the next row in its high 24 bits and that
// row's byte in its low 8 bits, so the walk takes one memory access a byte.
void InverseTransform(const std::uint8_t* L, std::int32_t n, std::int32_t s, std::int32_t f,
                      std::int32_t* counts, std::int32_t* running, std::uint32_t* links, std::uint8_t* out) {
  std::int32_t sum = 0;
  for (int k = 0; k <= 256; ++k) {
    running[k] = sum;
    sum += counts[k];
    counts[k] = 0;
  }
  const std::int32_t len = n + 1;
  for (std::int32_t i = 0; i < len; ++i) {
    if (i == s) continue;
    std::uint32_t v = L[i];
    links[running[v + 1] + counts[v + 1]++] = (static_cast<std::uint32_t>(i) << 8) | v;
  }
  links[0] = (static_cast<std::uint32_t>(s) << 8) | L[s];
  if (n == 0) return;
  out[0] = L[f];
  std::uint32_t idx = static_cast<std::uint32_t>(f);
  for (std::int32_t j = 1; j < n; ++j) {
    std::uint32_t link = links[idx];
    out[j] = static_cast<std::uint8_t>(link);
    idx = link >> 8;
  }
}

}  // namespace

void CheckBlockHeader(const TDataBlockHeader& header) {
  if (header.CompressedSize < 0 || header.CompressedSize > kMaxPayloadBytes)
    throw EBlockDamaged("Damaged block: compressed size " + std::to_string(header.CompressedSize) +
                        " does not fit the work buffers.");
  if (header.FirstIndex < 0 || header.FirstIndex > kMaxBlockLength || header.SentinelIndex < 0 ||
      header.SentinelIndex > kMaxBlockLength)
    throw EBlockDamaged("Damaged block: index out of range.");
}

ExpandedBlock ExpandPayload(const TDataBlockHeader& header, TBlockBuffers& buffers) {
  CheckBlockHeader(header);
  MemoryBitInput input(buffers.payload.data(), header.CompressedSize);
  TMemoryStrucAriDecoder decoder(input);
  std::uint8_t* ranks = buffers.bufferB.data();
  const std::int32_t n = decoder.DecodeBlock(ranks, kMaxBlockLength);
  const std::int32_t s = header.SentinelIndex;
  const std::int32_t f = header.FirstIndex;
  if (s > n || f > n) throw EBlockDamaged("Damaged block: index out of range.");

  std::uint8_t* L = buffers.bufferA.data();
  UndoMoveToFront(ranks, n, s, L, buffers.counts.data());
  std::uint8_t* out = buffers.bufferB.data();
  InverseTransform(L, n, s, f, buffers.counts.data(), buffers.running.data(), buffers.transform.data(), out);

  ExpandedBlock result;
  result.data = out;
  result.length = n;
  result.crcOk = Crc32Of(out, static_cast<size_t>(n)) == header.BlockCRC;
  result.payloadBytesTaken = std::min(input.BytesRequested(), header.CompressedSize);
  return result;
}

TDataBlockHeader ReadBlock(TBitFile& archive, TBlockBuffers& buffers) {
  TDataBlockHeader header;
  header.ReadChecked(archive);
  CheckBlockHeader(header);
  const auto size = static_cast<size_t>(header.CompressedSize);
  buffers.payload.resize(size + TBitFile::kSlackBytes);
  archive.ReadBytes(buffers.payload.data(), header.CompressedSize);
  std::memset(buffers.payload.data() + size, 0, TBitFile::kSlackBytes);
  return header;
}

void TExpander::ExpandBlock(TBitFile& archive, BlockSink& out) {
  TBlockBuffers& buffers = TBlockMan::Buffers();
  blockOk_ = false;
  archive.ResetBitBuffer();
  const std::int32_t payloadStart = archive.GetBufferedPosition() + TDataBlockHeader::kSize;
  TDataBlockHeader header = ReadBlock(archive, buffers);
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
