#pragma once
// The "System Watch" panel's figures: a CPU sample every second tick of the
// main cycle, the average of all samples since the shield started, and the
// panel's bar and labels, refreshed only while the main window shows.
#include <cstdint>
#include <string>

#include "platform/CpuTimes.h"
#include "ui/MainWindowView.h"
#include "watch/CpuUsageMeter.h"

namespace vz::watch {

class CpuWatch {
 public:
  // Above this many samples the average is rescaled to a weight of kRescaledCount.
  static constexpr std::int32_t kRescaleAbove = 800;
  static constexpr std::int32_t kRescaledCount = 100;

  CpuWatch(platform::CpuTimes& times, ui::MainWindowView& view) : meter_(times), view_(view) {}

  // The main cycle's step, on every tick once its start-up phase began: the
  // rescaling on every tick, one sample on even ticks.
  void Step(int tickCount);

  // The latest sample as the bar shows it (0..100) and the average; both 0
  // before the first sample.
  int Current() const { return current_; }
  int Average() const;
  std::int32_t SampleCount() const { return sampleCount_; }
  std::int32_t SampleSum() const { return sampleSum_; }

 private:
  CpuUsageMeter meter_;
  ui::MainWindowView& view_;
  std::int32_t sampleCount_ = 0;
  std::int32_t sampleSum_ = 0;
  int current_ = 0;
};

}  // namespace vz::watch
