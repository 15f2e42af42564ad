#pragma once
// Port: runs a function on the user-interface thread and waits until it has run.
// A watcher thread uses it the way a blocking window message is sent and handled.
#include <functional>

namespace vz::ui {

class UiDispatcher {
 public:
  virtual ~UiDispatcher() = default;
  // Returns false when the UI thread is shutting down and the function did not run.
  virtual bool RunAndWait(const std::function<void()>& function) = 0;
};

}  // namespace vz::ui
