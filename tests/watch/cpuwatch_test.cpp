#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/testing/FakeCpuTimes.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"
#include "watch/CpuWatch.h"

namespace vz::watch {
namespace {

constexpr std::uint64_t kSecond = 10000000;  // 100-ns units

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(37.7), 38);
  EXPECT_EQ(RoundHalfEven(37.2), 37);
  EXPECT_EQ(RoundHalfEven(100.0), 100);
}

class CpuWatchTest : public ::testing::Test {
 protected:
  // Advances the fake machine by `seconds` with `busy` of its processors' time busy (0..1).
  void Pass(double seconds, double busy) {
    auto interval = static_cast<std::uint64_t>(seconds * kSecond);
    times.next.systemTime += interval;
    times.next.idleTime += static_cast<std::uint64_t>((1.0 - busy) * static_cast<double>(interval) * times.next.processorCount);
  }

  platform::testing::FakeCpuTimes times;
  ui::scripted::RecordingMainWindow view;
  CpuWatch watch{times, view};
};

TEST_F(CpuWatchTest, FirstSampleIs100AndAnIdleIntervalShowsZero) {
  times.next = {2, 5 * kSecond, 3 * kSecond};
  view.showing = true;
  watch.Step(1);  // odd tick: no sample
  EXPECT_EQ(times.reads, 0);
  EXPECT_EQ(view.cpuWatchUpdates, 0);
  EXPECT_EQ(view.cpuCurrent, "0 %");

  watch.Step(2);
  EXPECT_EQ(view.cpuBar, 100);
  EXPECT_EQ(view.cpuCurrent, "100");

  // Two idle seconds on two processors: 0.5 before rounding, shown as 0.
  CpuUsageMeter meter(times);
  meter.GetCpuUsage();
  Pass(2, 0.0);
  EXPECT_DOUBLE_EQ(meter.GetCpuUsage(), 0.5);
  watch.Step(3);
  watch.Step(4);
  EXPECT_EQ(view.cpuBar, 0);
  EXPECT_EQ(view.cpuCurrent, "0");
  EXPECT_EQ(view.cpuAverage, "50");  // (100 + 0) / 2

  // Half of both processors busy: 50.5, shown as the even 50.
  Pass(2, 0.5);
  watch.Step(6);
  EXPECT_EQ(view.cpuCurrent, "50");
}

TEST_F(CpuWatchTest, WhatIsNotAMeasurementCountsAs100) {
  view.showing = true;
  watch.Step(2);
  Pass(2, 0.0);
  watch.Step(4);
  ASSERT_EQ(view.cpuCurrent, "0");

  // A failing query: 100, counted into the average; the previous numbers stay.
  times.fail = true;
  watch.Step(6);
  EXPECT_EQ(view.cpuCurrent, "100");
  EXPECT_EQ(watch.SampleCount(), 3);
  EXPECT_EQ(watch.SampleSum(), 200);
  times.fail = false;
  Pass(2, 0.0);
  watch.Step(8);
  EXPECT_EQ(view.cpuCurrent, "0");  // measured against the last good numbers

  // A clock that went backwards, one that stood still, no processors: 100.
  times.next.systemTime -= 3 * kSecond;
  watch.Step(10);
  EXPECT_EQ(view.cpuCurrent, "100");
  watch.Step(12);
  EXPECT_EQ(view.cpuCurrent, "100");
  Pass(2, 0.0);
  times.next.processorCount = 0;
  watch.Step(14);
  EXPECT_EQ(view.cpuCurrent, "100");
  // More idle time than the processors had: 100, not a negative load.
  times.next.processorCount = 2;
  times.next.systemTime += kSecond;
  times.next.idleTime += 5 * kSecond;
  watch.Step(16);
  EXPECT_EQ(view.cpuCurrent, "100");
}

TEST_F(CpuWatchTest, HiddenSamplesCountAndTheRescaleKeepsTheAverage) {
  // 801 samples averaging 25, all taken while the window is hidden: the first
  // (100), three idle ones (0) and 797 at 25 % (24.5 % busy, plus the half).
  watch.Step(2);
  int tick = 2;
  for (int i = 0; i < 3; ++i) {
    Pass(2, 0.0);
    watch.Step(tick += 2);
  }
  for (int i = 0; i < 797; ++i) {
    Pass(2, 0.245);
    watch.Step(tick += 2);
  }
  EXPECT_EQ(view.cpuWatchUpdates, 0);
  EXPECT_EQ(watch.SampleCount(), 801);
  EXPECT_EQ(watch.SampleSum(), 801 * 25);
  // The next tick rescales: the average keeps its value and weighs as 100 samples.
  watch.Step(tick + 1);
  EXPECT_EQ(watch.SampleCount(), 100);
  EXPECT_EQ(watch.SampleSum(), 2500);

  // Shown again, the panel has the whole run's average at once.
  view.showing = true;
  Pass(2, 0.245);
  watch.Step(tick + 2);
  EXPECT_EQ(view.cpuWatchUpdates, 1);
  EXPECT_EQ(view.cpuBar, 25);
  EXPECT_EQ(view.cpuCurrent, "25");
  EXPECT_EQ(view.cpuAverage, "25");
  EXPECT_EQ(watch.SampleCount(), 101);
}

// The machine's own numbers while a child keeps one processor busy.
TEST(SystemCpuWatch, ARealBusyProcessorShowsInTheLoad) {
  auto times = platform::CreateSystemCpuTimes();
  platform::CpuTimesSample probe;
  ASSERT_TRUE(times->Read(probe));
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    volatile unsigned spin = 0;
    for (;;) spin = spin + 1u;
  }
  CpuUsageMeter meter(*times);
  EXPECT_EQ(meter.GetCpuUsage(), 100.0);  // the first measurement
  testsupport::SleepMs(1000);
  double usage = meter.GetCpuUsage();
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_GE(usage, 0.0);
  EXPECT_LE(usage, 100.0);
  // One of the machine's processors was busy all along (40 on two processors).
  EXPECT_GT(usage, 80.0 / probe.processorCount) << probe.processorCount << " processors";
}

}  // namespace
}  // namespace vz::watch
