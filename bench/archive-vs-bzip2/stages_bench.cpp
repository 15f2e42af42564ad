// Where the extraction time of an archive goes, stage by stage, in ns per
// output byte: arithmetic decoding of the ranks, zero-run and move-to-front
// decoding, inverse block sort, CRC and writing. Every block of every file is
// read into memory first; each stage then runs over all blocks on one thread,
// five times, and the median counts. Stages are timed in CPU time of the
// thread, so that other load on a shared machine does not land in them. The decoding stages are measured as the
// expander runs them, fused: the ranks alone with a sink that keeps nothing,
// the move-to-front stage as the fused time less that.
//
//   bench-archive-stages ARCHIVE.pck SCRATCH-FILE
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/ArchiveFile.h"
#include "archive/BlockBuffers.h"
#include "archive/BlockExpander.h"
#include "archive/Crc32.h"
#include "archive/FastBlockDecoder.h"
#include "archive/InverseTransform.h"
#include "archive/RankDecoder.h"

namespace {

using namespace vz::archive;
// The calling thread's CPU time.
struct Clock {
  using duration = std::chrono::nanoseconds;
  static std::chrono::nanoseconds now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
  }
};

struct Block {
  DataBlockHeader header;
  std::vector<std::uint8_t> payload;  // with kPayloadPadding zero bytes after it
};

// Keeps only how many bytes the ranks stand for.
struct CountingSink {
  std::int64_t bytes = 0;
  void Rank(std::int32_t) { ++bytes; }
  void ZeroRun(std::int32_t run) { bytes += run; }
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench-archive-stages ARCHIVE.pck SCRATCH-FILE\n");
    return 2;
  }
  std::vector<Block> blocks;
  {
    ArchiveFile archive(argv[1], true);
    BlockBuffers buffers;
    for (const auto& entry : archive.CentralDir().Entries()) {
      archive.SmartSeek(entry->DataOffset, SeekOrigin::FromStart);
      for (std::int32_t b = 0; b < entry->BlockCount; ++b) {
        Block block;
        block.header = ReadBlock(archive, buffers);
        block.payload = buffers.payload;
        blocks.push_back(std::move(block));
      }
    }
  }
  const int fd = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) {
    std::perror(argv[2]);
    return 1;
  }

  BlockBuffers buffers;
  std::vector<double> ranks, mtf, inverse, crc, writing;
  std::int64_t total = 0;
  std::uint32_t checksum = 0;  // keeps every stage's result alive
  for (int round = 0; round < 5; ++round) {
    Clock::duration tRanks{}, tFused{}, tInverse{}, tCrc{}, tWrite{};
    total = 0;
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) return 1;
    for (const Block& block : blocks) {
      const DataBlockHeader& h = block.header;
      auto t0 = Clock::now();
      CountingSink counting;
      DecodeRanks(block.payload.data(), h.CompressedSize, kMaxBlockLength, counting);
      auto t1 = Clock::now();
      std::uint8_t* L = buffers.bufferA.data();
      const LastColumn column = DecodeLastColumn(block.payload.data(), h.CompressedSize, h.SentinelIndex,
                                                 kMaxBlockLength, L, buffers.counts.data());
      auto t2 = Clock::now();
      std::uint8_t* out = buffers.bufferB.data();
      BuildLinks(L, column.n, h.SentinelIndex, buffers.counts.data(), buffers.running.data(),
                 buffers.transform.data());
      WalkInLanes(L, column.n, h.FirstIndex, buffers.transform.data(), buffers.walk, out);
      auto t3 = Clock::now();
      const std::uint32_t value = Crc32Of(out, static_cast<std::size_t>(column.n));
      auto t4 = Clock::now();
      if (write(fd, out, static_cast<std::size_t>(column.n)) != column.n) {
        std::perror("write");
        return 1;
      }
      auto t5 = Clock::now();
      if (value != h.BlockCRC || counting.bytes != column.n) {
        std::fprintf(stderr, "a block did not expand to its CRC\n");
        return 1;
      }
      checksum ^= value;
      total += column.n;
      tRanks += t1 - t0;
      tFused += t2 - t1;
      tInverse += t3 - t2;
      tCrc += t4 - t3;
      tWrite += t5 - t4;
    }
    const double perByte = 1e9 / static_cast<double>(std::max<std::int64_t>(total, 1));
    ranks.push_back(Seconds(tRanks) * perByte);
    mtf.push_back((Seconds(tFused) - Seconds(tRanks)) * perByte);
    inverse.push_back(Seconds(tInverse) * perByte);
    crc.push_back(Seconds(tCrc) * perByte);
    writing.push_back(Seconds(tWrite) * perByte);
  }
  close(fd);
  const double r = Median(ranks), m = Median(mtf), i = Median(inverse), c = Median(crc), w = Median(writing);
  std::printf("stages, CPU ns per output byte (one thread, median of 5, %zu blocks, %lld bytes, crc xor %08x):\n",
              blocks.size(), static_cast<long long>(total), checksum);
  std::printf("  arithmetic decoding of the ranks %6.2f\n", r);
  std::printf("  zero runs and move-to-front      %6.2f\n", m);
  std::printf("  inverse block sort               %6.2f\n", i);
  std::printf("  CRC-32                           %6.2f\n", c);
  std::printf("  writing                          %6.2f\n", w);
  std::printf("  sum                              %6.2f\n", r + m + i + c + w);
  return 0;
}
