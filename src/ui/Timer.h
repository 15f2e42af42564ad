#pragma once
// Port: timers driven on the user-interface thread (main cycle 1000 ms, hint
// panel 250 ms, schedule 600000 ms). A stopped timer keeps its interval.
#include <functional>
#include <memory>

namespace vz::ui {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
  virtual int IntervalMs() const = 0;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  // The timer starts stopped; the callback runs on the UI thread at each expiry.
  virtual std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimeout) = 0;
};

}  // namespace vz::ui
