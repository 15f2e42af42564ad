#pragma once
// Contract: a single-threaded event loop for front ends without a GUI toolkit.
// It runs timers, waits for input on waitables, ends on the termination signals,
// and runs functions posted from other threads.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Waitable.h"

namespace vz::platform {

class TerminationSignals;

class EventLoop {
 public:
  using TimerId = std::uint64_t;

  virtual ~EventLoop() = default;

  // Runs until Quit(); returns the code given to Quit.
  virtual int Run() = 0;
  virtual void Quit(int code = 0) = 0;
  virtual bool QuitRequested() const = 0;

  // Handles what is ready now (due timers, waitables with input, posted
  // functions) without waiting. Used to let pending events run inside long work.
  virtual void ProcessPending() = 0;

  // Periodic timers. A timer whose callback is running is not fired again
  // until the callback returns (no nested expiry of the same timer).
  virtual TimerId AddTimer(int intervalMs, std::function<void()> callback) = 0;
  virtual void StartTimer(TimerId id) = 0;  // next expiry one interval from now
  virtual void StopTimer(TimerId id) = 0;
  virtual bool TimerRunning(TimerId id) const = 0;
  virtual void RemoveTimer(TimerId id) = 0;

  // Calls onReadable whenever the waitable has input (until Unwatch). An
  // invalid waitable is never ready.
  virtual void Watch(Waitable waitable, std::function<void()> onReadable) = 0;
  virtual void Unwatch(Waitable waitable) = 0;

  // Thread-safe: runs function on the loop's thread and waits for it. Returns
  // false (without running it) once the loop has been told to quit.
  virtual bool RunOnLoopAndWait(const std::function<void()>& function) = 0;
  // Thread-safe: queues function for the loop's thread and returns at once.
  // False (it will not run) once the loop has been told to quit.
  virtual bool PostToLoop(std::function<void()> function) = 0;

  // The signals end the loop as Quit(0) does; they must outlive the loop.
  virtual void QuitOn(TerminationSignals& signals) = 0;
};

std::unique_ptr<EventLoop> CreateEventLoop();

}  // namespace vz::platform
