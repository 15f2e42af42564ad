#pragma once
// Contract: program starts and process ends as the kernel reports them, the
// moment they happen. Each start carries what a short-lived process takes with
// it when it ends, captured at once on the event thread: its program path,
// name and start time (which tells a reused PID apart).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Processes.h"

namespace vz::platform {

struct ProcessStart {
  Pid pid = 0;
  std::uint64_t startTime = 0;  // clock ticks since boot, as OpenedProcess
  std::string path;             // absolute path of the program the process runs now
  std::string name;             // last component of path
};

class ProcessEventSource {
 public:
  // Called on the source's own thread; they must return quickly and never
  // wait on the user-interface thread.
  struct Handlers {
    std::function<void(const ProcessStart&)> onStart;  // a program started (exec)
    std::function<void(Pid)> onExit;                   // a process ended
    std::function<void()> onLost;                      // events were dropped (the kernel's queue overflowed)
  };

  virtual ~ProcessEventSource() = default;
  // Subscribes and starts the event thread. False with errorText when the
  // kernel refuses (the connector needs CAP_NET_ADMIN) or is not there.
  virtual bool Start(Handlers handlers, std::string& errorText) = 0;
  // Ends the event thread; no handler runs once this returns. Safe to call twice.
  virtual void Stop() = 0;
};

}  // namespace vz::platform
