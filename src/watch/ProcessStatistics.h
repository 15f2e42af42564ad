#pragma once
// The "Process statistics" panel's figures and the start log: after each
// refresh of the process list, a change of the number of processes is stamped
// and a growth logs the newest process; every tenth tick the stamps older
// than 15 minutes go and the last minute's and 15 minutes' changes are counted.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "inventory/ProcessList.h"
#include "platform/Clock.h"
#include "ui/MainWindowView.h"

namespace vz::watch {

class ProcessStatistics {
 public:
  static constexpr int kCountEveryTicks = 10;
  static constexpr std::uint64_t kLastMinuteSeconds = 60;
  static constexpr std::uint64_t kKeptSeconds = 900;

  ProcessStatistics(const inventory::ProcessList& processes, ui::MainWindowView& view, const platform::Clock& clock)
      : processes_(processes), view_(view), clock_(clock) {}

  // The main cycle's statistics step, right after a refresh of the list.
  void Step(int tickCount);
  // "More": the start log window, not modal.
  void ShowStartLog() { view_.ShowStartLogWindow(); }

  // What the panel shows.
  const std::string& LatestStart() const { return latestStart_; }
  const std::string& ProcessChanges() const { return processChanges_; }
  const std::string& LastMinute() const { return lastMinute_; }
  const std::string& Last15Minutes() const { return last15Minutes_; }
  // Every start seen since the shield started, oldest first.
  const std::vector<std::string>& StartLog() const { return startLog_; }

 private:
  // The row of the process that started last: the latest start time, and of
  // equal ones the later row.
  int NewestRow() const;
  void CountRecentChanges();

  const inventory::ProcessList& processes_;
  ui::MainWindowView& view_;
  const platform::Clock& clock_;
  std::size_t prevProcessCount_ = 0;
  // Seconds of the monotonic clock, oldest first.
  std::deque<std::uint64_t> changeTimes_;
  std::vector<std::string> startLog_;
  std::string latestStart_;
  std::string processChanges_ = "0";
  std::string lastMinute_ = "0";
  std::string last15Minutes_ = "0";
};

// "yyyy-mm-dd hh:mm:ss", the date and time of a start log line.
std::string FormatDateAndTime(const platform::LocalTime& time);

}  // namespace vz::watch
