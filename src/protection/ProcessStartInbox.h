#pragma once
// Program starts handed from the event thread to the user-interface thread.
// The event thread never waits on the UI: a push takes a short lock, and only
// the push that finds the inbox idle asks for a wake-up, so a burst of starts
// costs one posted call. The inbox is bounded; starts beyond it are dropped and
// noted, and the two-second refresh catches up on them.
#include <cstddef>
#include <mutex>
#include <vector>

#include "platform/ProcessEvents.h"

namespace vz::protection {

class ProcessStartInbox {
 public:
  explicit ProcessStartInbox(size_t capacity) : capacity_(capacity) {}

  // Event thread. True when the caller must wake the UI thread (it was idle).
  bool Push(platform::ProcessStart start);
  // Event thread: starts were lost before they reached the inbox.
  bool NoteLost();

  struct Batch {
    std::vector<platform::ProcessStart> starts;
    bool lost = false;      // some starts were dropped since the last batch
    bool moreLeft = false;  // the UI thread must take again (it stays awake)
  };
  // UI thread: up to `most` starts, oldest first.
  Batch Take(size_t most);

 private:
  bool WakeNeeded();

  std::mutex mutex_;
  std::vector<platform::ProcessStart> pending_;
  size_t capacity_;
  bool lost_ = false;
  bool awake_ = false;  // a wake-up is posted or the UI thread is taking
};

}  // namespace vz::protection
