#pragma once
// Contract: SIGINT and SIGTERM as a waitable, so that a front end's
// own event loop can end the way "Exit Vazeru" does (and the log is saved).
// Create it before any thread starts: the signals are blocked in the calling
// thread and threads started later inherit that; programs started through the
// launcher get the default mask back.
#include <memory>

#include "platform/Waitable.h"

namespace vz::platform {

class TerminationSignals {
 public:
  virtual ~TerminationSignals() = default;
  // Has input when a signal has arrived (invalid when it could not be set up).
  virtual Waitable WaitHandle() const = 0;
  // Reads the pending signals; true when at least one arrived.
  virtual bool Drain() = 0;
};

std::unique_ptr<TerminationSignals> WatchTerminationSignals();

}  // namespace vz::platform
