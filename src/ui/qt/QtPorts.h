#pragma once
// The small ports on Qt: letting pending events run, running a function on the
// UI thread for a watcher thread, and timers.
#include <QObject>
#include <QTimer>
#include <memory>
#include <mutex>

#include "ui/EventPump.h"
#include "ui/Timer.h"
#include "ui/UiDispatcher.h"

namespace vz::ui::qt {

class QtEventPump final : public EventPump {
 public:
  void ProcessPendingEvents() override;
};

// Runs functions on the thread that created it (the UI thread). A call from
// that thread runs at once; a call from another thread waits until the UI
// thread has run it, or returns false once Shutdown() was called.
class QtDispatcher final : public UiDispatcher {
 public:
  QtDispatcher();
  ~QtDispatcher() override;
  bool RunAndWait(const std::function<void()>& function) override;
  bool Post(std::function<void()> function) override;
  // No more functions run; waiting callers return false.
  void Shutdown();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::unique_ptr<QObject> receiver_;
};

// A QTimer that, like the window timers the shield was written for, does not
// fire again while its own handler runs (handlers let events run inside).
class QtTimer final : public Timer {
 public:
  QtTimer(int intervalMs, std::function<void()> onTimeout);
  void Start() override { timer_.start(); }
  void Stop() override { timer_.stop(); }
  bool IsRunning() const override { return timer_.isActive(); }
  int IntervalMs() const override { return timer_.interval(); }

 private:
  QTimer timer_;
  std::function<void()> onTimeout_;
  bool inHandler_ = false;
};

class QtTimerFactory final : public TimerFactory {
 public:
  std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimeout) override;
};

}  // namespace vz::ui::qt
