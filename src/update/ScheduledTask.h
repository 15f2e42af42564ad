#pragma once
// The scheduled update: the 10-minute schedule timer, the check at the end of
// the start-up phase, and the task itself, which copies changed data files
// from a folder on the network (LAN update) or runs "Run update now" as a
// download, copies new files to a network folder when asked, and restarts the
// shield when new data arrived. Every step is written to the shield log.
#include <functional>
#include <memory>
#include <string>

#include "log/ShieldLog.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "ui/Timer.h"
#include "update/RunUpdateCommand.h"
#include "update/ScheduleRecord.h"
#include "update/UpdateDownloader.h"

namespace vz::update {

inline constexpr const char* kLogScheduleTaskRunning = "Schedule Task running";
inline constexpr const char* kLogRunningMissed = "Running Missed schedule";
inline constexpr const char* kLogErrorRunningSchedule = "Error Running schedule";
inline constexpr const char* kLogRunningAtStartup = "Running Schedule update at startup";
inline constexpr const char* kLogCouldNotOpenHive = "Could not Open Schedule hive";
inline constexpr const char* kLogNewUpdatesRestarting = "New updates downloaded. Restarting Vazeru";
inline constexpr const char* kLogLanCouldNotCopy =
    "Update from Lan : Could not copy. Be sure directory exist and you have access";
inline constexpr const char* kLogCopyPathProblem = "Copy files to share : Path problem";
inline constexpr const char* kLogCopyFinished = "Copy files finished";
inline constexpr const char* kLogCopyCouldNotCopy =
    "Copy files to share : Could not copy. Be sure directory exist and you have access";
inline constexpr const char* kLogFileUpdated = "File Updated : ";

struct ScheduledTaskServices {
  platform::RegistryStore& registry;
  log::ShieldLog& log;
  const platform::Clock& clock;
  UpdateDownloader& downloader;
  RunUpdateCommand& runUpdate;
  std::string appFolder;            // with its separator
  std::function<void()> restart;    // the restart protocol: a new shield with "Restart", this one ends
};

class ScheduledTask {
 public:
  static constexpr int kIntervalMs = 600000;

  ScheduledTask(const ScheduledTaskServices& services, ui::TimerFactory& timers);

  // The check the main cycle makes at the end of its start-up phase.
  void StartupCheck();
  // Enables the schedule timer (the main cycle, after the start-up check).
  void StartTimer() { timer_->Start(); }
  ui::Timer& Timer() { return *timer_; }

  // The schedule timer's tick.
  void OnTimer();
  // The task: LAN update or download, copy to share, restart.
  void RunScheduledTask();
  // Whether the share holds a copy of name whose size differs from the local one.
  bool LanFileChanged(const std::string& share, const std::string& name);

 private:
  void TimerStep(ScheduleRecord& record);
  void LanUpdate(const std::string& source);
  void CopyToShare(const std::string& target);

  ScheduledTaskServices s_;
  std::unique_ptr<ui::Timer> timer_;
};

// Monday = 1 .. Sunday = 7.
int DayNumber(const platform::LocalTime& time);

}  // namespace vz::update
