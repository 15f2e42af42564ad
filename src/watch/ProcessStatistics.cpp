#include "watch/ProcessStatistics.h"

#include <cstdio>

namespace vz::watch {

namespace {

// A process names itself: its control characters never reach a list or a terminal.
std::string Shown(const std::string& name) {
  std::string shown = name;
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown;
}

}  // namespace

std::string FormatDateAndTime(const platform::LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

int ProcessStatistics::NewestRow() const {
  // The list is in ascending identifier order; once identifiers wrap, the
  // newest process is no longer the last row, but it has the latest start.
  const inventory::ProcessTable& table = processes_.Table();
  int newest = -1;
  for (int i = 0; i < table.RowCount(); ++i)
    if (newest < 0 || table.Row(i).startTime >= table.Row(newest).startTime) newest = i;
  return newest;
}

void ProcessStatistics::Step(int tickCount) {
  std::size_t count = processes_.Names().size();
  if (count != prevProcessCount_) changeTimes_.push_back(clock_.TickCountMs() / 1000);
  if (count > prevProcessCount_) {
    int newest = NewestRow();
    if (newest >= 0) {
      latestStart_ = Shown(processes_.Table().Row(newest).name);
      view_.SetStatisticsLabel(ui::StatisticsLabel::LatestStart, latestStart_);
      startLog_.push_back(FormatDateAndTime(clock_.Now()) + " - " + latestStart_);
      view_.AddStartLogLine(startLog_.back());
    }
  }
  prevProcessCount_ = count;

  if (tickCount % kCountEveryTicks == 0 && !changeTimes_.empty()) CountRecentChanges();

  processChanges_ = std::to_string(processes_.ProcessChangeCount());
  view_.SetStatisticsLabel(ui::StatisticsLabel::ProcessChanges, processChanges_);
}

void ProcessStatistics::CountRecentChanges() {
  std::uint64_t now = clock_.TickCountMs() / 1000;
  // Oldest first: what is past the kept span is at the front.
  while (!changeTimes_.empty() && now - changeTimes_.front() > kKeptSeconds) changeTimes_.pop_front();
  std::size_t lastMinute = 0;
  for (auto it = changeTimes_.rbegin(); it != changeTimes_.rend() && now - *it < kLastMinuteSeconds; ++it) ++lastMinute;
  lastMinute_ = std::to_string(lastMinute);
  last15Minutes_ = std::to_string(changeTimes_.size());
  view_.SetStatisticsLabel(ui::StatisticsLabel::LastMinute, lastMinute_);
  view_.SetStatisticsLabel(ui::StatisticsLabel::Last15Minutes, last15Minutes_);
}

}  // namespace vz::watch
