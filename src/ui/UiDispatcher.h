#pragma once
// Port: runs a function on the user-interface thread, waiting until it has run
// (a watcher thread uses it the way a blocking window message is sent and
// handled) or not waiting at all (an event thread that must never stall).
#include <functional>

namespace vz::ui {

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Returns false when the UI thread is shutting down and the function did not run.
  virtual bool RunAndWait(const std::function<void()>& function) = 0;
  // Queues the function for the UI thread and returns at once. False when the
  // UI thread is shutting down and the function will not run.
  virtual bool Post(std::function<void()> function) = 0;
};

}  // namespace vz::ui
