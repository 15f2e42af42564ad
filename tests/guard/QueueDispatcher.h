#pragma once
// A UI dispatcher whose "UI thread" is the test: monitor threads queue their
// reports and wait; the test runs them when it chooses, so it sees exactly
// how many reports came and can hold one open.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "ui/UiDispatcher.h"

namespace vz::guardtest {

class QueueDispatcher final : public ui::UiDispatcher {
 public:
  bool RunAndWait(const std::function<void()>& function) override {
    auto call = std::make_shared<Call>();
    call->function = &function;
    std::unique_lock lock(mutex_);
    if (shutDown_) return false;
    queue_.push_back(call);
    changed_.notify_all();
    changed_.wait(lock, [&] { return call->done || (shutDown_ && !call->running); });
    return call->done;
  }

  // Queued like a report, but nobody waits for it.
  bool Post(std::function<void()> function) override {
    auto call = std::make_shared<Call>();
    call->owned = std::move(function);
    call->function = &call->owned;
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    queue_.push_back(call);
    changed_.notify_all();
    return true;
  }

  // Runs one queued report, waiting up to timeoutMs for it; false when none came.
  bool RunOne(int timeoutMs) {
    std::shared_ptr<Call> call;
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty(); })) return false;
      call = queue_.front();
      queue_.pop_front();
      call->running = true;
    }
    (*call->function)();
    std::lock_guard lock(mutex_);
    call->running = false;
    call->done = true;
    changed_.notify_all();
    return true;
  }

  // Runs every report that comes until none came for quietMs; how many ran.
  int RunUntilQuiet(int quietMs) {
    int count = 0;
    while (RunOne(quietMs)) ++count;
    return count;
  }

  // Waits up to timeoutMs until a report waits in the queue.
  bool WaitQueued(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty(); });
  }

  // No more reports run; waiting monitors return false.
  void Shutdown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    changed_.notify_all();
  }

 private:
  struct Call {
    const std::function<void()>* function = nullptr;
    std::function<void()> owned;  // a posted function
    bool running = false;
    bool done = false;
  };
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Call>> queue_;
  bool shutDown_ = false;
};

}  // namespace vz::guardtest
