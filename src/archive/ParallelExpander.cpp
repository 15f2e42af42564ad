#include "archive/ParallelExpander.h"

#include "archive/ArchiveErrors.h"

namespace vz::archive {

ParallelExpander::ParallelExpander(int workers) {
  if (workers < 2) workers = 2;
  // Two slots a worker keep every worker busy while results wait their turn.
  for (int i = 0; i < 2 * workers; ++i) slots_.push_back(std::make_unique<Slot>());
  // The calling thread is one of the workers: it expands queued blocks while
  // it waits for a result, so no more threads than asked for compete for CPUs.
  for (int i = 1; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
}

ParallelExpander::~ParallelExpander() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  workReady_.notify_all();
  for (auto& t : threads_) t.join();
}

void ParallelExpander::Execute(Slot* slot) {
  try {
    slot->result = ExpandPayload(slot->header, slot->buffers);
  } catch (...) {
    slot->error = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slot->done = true;
  }
  workDone_.notify_all();
}

void ParallelExpander::WorkerLoop() {
  for (;;) {
    Slot* slot;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workReady_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      slot = queue_.front();
      queue_.pop_front();
    }
    Execute(slot);
  }
}

void ParallelExpander::Submit(Slot* slot) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slot->done = false;
    slot->error = nullptr;
    queue_.push_back(slot);
  }
  workReady_.notify_one();
}

void ParallelExpander::WaitFor(Slot* slot) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!slot->done) {
    if (queue_.empty()) {
      workDone_.wait(lock);
      continue;
    }
    Slot* job = queue_.front();
    queue_.pop_front();
    lock.unlock();
    Execute(job);
    lock.lock();
  }
}

void ParallelExpander::Drain(std::int32_t from, std::int32_t to) {
  const auto slotCount = static_cast<std::int32_t>(slots_.size());
  for (std::int32_t k = from; k < to; ++k) WaitFor(slots_[static_cast<size_t>(k % slotCount)].get());
}

std::int32_t ParallelExpander::Run(BitFile& archive, std::int32_t count, const BlockHandler& onBlock) {
  const auto slotCount = static_cast<std::int32_t>(slots_.size());
  std::int32_t read = 0;
  std::int32_t handled = 0;
  bool stopped = false;
  std::int32_t stopPosition = 0;
  // Whatever leaves this function, no worker may still use a slot.
  struct DrainGuard {
    ParallelExpander& self;
    std::int32_t& from;
    std::int32_t& to;
    ~DrainGuard() { self.Drain(from, to); }
  } guard{*this, handled, read};

  for (;;) {
    while (!stopped && read < count && read - handled < slotCount) {
      Slot* slot = slots_[static_cast<size_t>(read % slotCount)].get();
      const std::int32_t position = archive.GetBufferedPosition();
      try {
        slot->header = ReadBlock(archive, slot->buffers);
      } catch (const ArchiveError&) {
        // The sequential reader raises the same error when it reaches this block.
        stopped = true;
        stopPosition = position;
        break;
      }
      slot->payloadStart = position + DataBlockHeader::kSize;
      Submit(slot);
      ++read;
    }
    if (handled == read) break;
    Slot* slot = slots_[static_cast<size_t>(handled % slotCount)].get();
    WaitFor(slot);
    if (slot->error) {
      ++handled;
      std::rethrow_exception(slot->error);
    }
    onBlock(handled, slot->result);
    ++handled;
    if (slot->result.payloadBytesTaken < slot->header.CompressedSize) {
      // The next record starts inside this payload: drop the read-ahead.
      archive.SmartSeek(slot->payloadStart + slot->result.payloadBytesTaken, SeekOrigin::FromStart);
      return handled;
    }
  }
  if (stopped) archive.SmartSeek(stopPosition, SeekOrigin::FromStart);
  return handled;
}

}  // namespace vz::archive
