#pragma once
// The one-second main cycle that drives all watching. Its first tick is the
// start-up phase (loading the knowledge base, the schedule check at start);
// every tick then runs the watch steps at their multiples and shows the time.
#include <functional>
#include <memory>
#include <string>

#include "app/LiveOptions.h"
#include "inventory/ProcessList.h"
#include "log/ShieldLog.h"
#include "platform/Clock.h"
#include "ui/Ports.h"

namespace vz::app {

class MainCycle {
 public:
  static constexpr int kIntervalMs = 1000;

  // The steps other subsystems provide; an empty step is skipped.
  struct Steps {
    std::function<void()> loadKnowledgeBase;
    std::function<void()> scheduleStartupCheck;
    std::function<void()> startScheduleTimer;
    std::function<bool()> dataTooOld;            // the age test's verdict, asked in the first tick
    std::function<void(int tickCount)> cpuStep;  // every tick: rescaling; even ticks: one sample
    std::function<void()> statistics;            // after each refresh while statistics are shown
    std::function<void()> startupWatch;          // every fifth tick while startups are watched
    std::function<void()> startEventRoad;        // once the lists are loaded: process events on
  };

  MainCycle(const ui::Ports& ports, log::ShieldLog& log, inventory::ProcessList& processes, const LiveOptions& options,
            const platform::Clock& clock = platform::SystemClock());

  void SetSteps(Steps steps) { steps_ = std::move(steps); }
  Steps& MutableSteps() { return steps_; }

  // The tick handler; tests call it directly.
  void Tick();

  int TickCount() const { return tickCount_; }
  bool Initialised() const { return initialised_; }
  ui::Timer& MainTimer() { return *timer_; }

 private:
  void RunStartupPhase();
  void RunStep(const char* name, const std::function<void()>& step);

  ui::Ports ports_;
  log::ShieldLog& log_;
  inventory::ProcessList& processes_;
  const LiveOptions& options_;
  const platform::Clock& clock_;
  std::unique_ptr<ui::Timer> timer_;
  Steps steps_;
  int tickCount_ = 0;
  bool initialised_ = false;
};

}  // namespace vz::app
