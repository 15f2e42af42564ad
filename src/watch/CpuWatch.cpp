#include "watch/CpuWatch.h"

namespace vz::watch {

int CpuWatch::Average() const {
  if (sampleCount_ == 0) return 0;
  return RoundHalfEven(static_cast<double>(sampleSum_) / sampleCount_);
}

void CpuWatch::Step(int tickCount) {
  // The average keeps its value but weighs as kRescaledCount samples from
  // now on, so that it follows later changes of the load faster.
  if (sampleCount_ > kRescaleAbove) {
    sampleSum_ = RoundHalfEven(static_cast<double>(sampleSum_) / sampleCount_ * kRescaledCount);
    sampleCount_ = kRescaledCount;
  }
  if (tickCount % 2 != 0) return;
  ++sampleCount_;
  current_ = RoundHalfEven(meter_.GetCpuUsage());
  sampleSum_ += current_;
  // Hidden, the samples still count; the panel catches up when it shows again.
  if (view_.IsWindowShowing()) view_.SetCpuWatch(current_, std::to_string(current_), std::to_string(Average()));
}

}  // namespace vz::watch
