#include "app/MainCycle.h"

#include <exception>

#include "knowledge/KnowledgeLoader.h"

namespace vz::app {

MainCycle::MainCycle(const ui::Ports& ports, log::ShieldLog& log, inventory::ProcessList& processes,
                     const LiveOptions& options, const platform::Clock& clock)
    : ports_(ports), log_(log), processes_(processes), options_(options), clock_(clock) {
  timer_ = ports_.timers->CreateTimer(kIntervalMs, [this] { Tick(); });
  processes_.SetMainTimer(timer_.get());
}

void MainCycle::RunStep(const char* name, const std::function<void()>& step) {
  if (!step) return;
  // An error escaping a step is logged; the cycle goes on with the next step.
  try {
    step();
  } catch (const std::exception& e) {
    log_.WriteShieldLog(std::string(name) + " failed: " + e.what());
  }
}

void MainCycle::RunStartupPhase() {
  ui::MainWindowView& view = *ports_.mainWindow;
  timer_->Stop();
  view.SetWindowState(ui::WindowState::Normal);
  processes_.SetForceRefresh(true);
  processes_.ResetSignatures();
  view.SetBusyCursor(true);
  initialised_ = true;

  if (view.IsWindowShowing()) {
    view.SetWindowState(ui::WindowState::Minimized);
    view.HideWindow();
  }
  RunStep("Loading the data lists", steps_.loadKnowledgeBase);
  processes_.ResetScanMemory();
  // Only now can a start be judged: the lists are loaded.
  RunStep("Starting the process events", steps_.startEventRoad);
  RunStep("The schedule check at start", steps_.scheduleStartupCheck);
  RunStep("Starting the schedule timer", steps_.startScheduleTimer);
  view.SetProcessPageEnabled(true);
  view.SetBusyCursor(false);
  view.SetShowVazeruEnabled(true);
  timer_->Start();
}

void MainCycle::Tick() {
  ++tickCount_;
  bool firstTick = !initialised_;
  if (!initialised_) RunStartupPhase();

  if (firstTick && steps_.dataTooOld && steps_.dataTooOld()) knowledge::WriteDataAgeWarning(log_);

  if (steps_.cpuStep) RunStep("CPU watch", [&] { steps_.cpuStep(tickCount_); });

  if (options_.liveScanProcesses && tickCount_ % 2 == 0) {
    RunStep("Process refresh", [&] { processes_.RefreshProcessList(); });
    if (options_.showProcessStatistics) RunStep("Process statistics", steps_.statistics);
  }

  if (options_.liveScanStartups && tickCount_ % 5 == 0) RunStep("Startup watch", steps_.startupWatch);

  ports_.mainWindow->SetStatusPanel(4, platform::FormatTimeOfDay(clock_.Now()));
}

}  // namespace vz::app
