#pragma once
// Expands the blocks of one file on several threads (the calling thread and
// workers - 1 more). Each block header gives its payload length, so the
// calling thread reads header and payload of the next blocks ahead and
// queues them; every thread expands queued blocks, and the results are
// handed back on the calling thread strictly in block order.
//
// The result is exactly that of expanding the blocks one after another: each
// block in flight has its own work buffers (a slot below; the process-wide
// SharedBlockBuffers set serves only the sequential path), an error is raised when its
// block's turn comes, and as soon as anything differs from the plain case (a
// header that does not read cleanly, a decoder that stopped before the end of
// its payload) the read-ahead is dropped and the archive is put where the
// sequential reader would be, so the caller goes on block by block from there.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/BitFile.h"
#include "archive/BlockExpander.h"

namespace vz::archive {

class ParallelExpander {
 public:
  explicit ParallelExpander(int workers);
  ~ParallelExpander();
  ParallelExpander(const ParallelExpander&) = delete;
  ParallelExpander& operator=(const ParallelExpander&) = delete;

  using BlockHandler = std::function<void(std::int32_t block, const ExpandedBlock& result)>;
  // Expands up to count blocks from the archive's position, calling onBlock
  // for each in order. Returns how many blocks were handled; the archive is
  // then positioned at the next block, as the sequential reader would be.
  std::int32_t Run(BitFile& archive, std::int32_t count, const BlockHandler& onBlock);

 private:
  struct Slot {
    BlockBuffers buffers;
    DataBlockHeader header;
    std::int32_t payloadStart = 0;
    ExpandedBlock result;
    std::exception_ptr error;
    bool done = false;
  };

  void Execute(Slot* slot);
  void WorkerLoop();
  void Submit(Slot* slot);
  void WaitFor(Slot* slot);
  void Drain(std::int32_t from, std::int32_t to);

  std::vector<std::unique_ptr<Slot>> slots_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable workReady_;
  std::condition_variable workDone_;
  std::deque<Slot*> queue_;
  bool stopping_ = false;
};

}  // namespace vz::archive
