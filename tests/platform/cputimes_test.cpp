#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/CpuTimes.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

TEST(CpuTimes, IdleIsIdlePlusIowaitOfTheSummaryLine) {
  EXPECT_EQ(ParseProcStatIdleTicks("cpu  100 5 50 1000 20 1 2 0 0 0\ncpu0 50 2 25 500 10 0 1 0 0 0\n"), 1020u);
  EXPECT_EQ(ParseProcStatIdleTicks("cpu 1 2 3 4\n"), 4u);  // kernels without iowait
  EXPECT_EQ(ParseProcStatIdleTicks("cpu0 1 2 3 4 5\n"), std::nullopt);
  EXPECT_EQ(ParseProcStatIdleTicks("cpu  1 2 x 4 5\n"), std::nullopt);
  EXPECT_EQ(ParseProcStatIdleTicks("cpu  1 2\n"), std::nullopt);
  EXPECT_EQ(ParseProcStatIdleTicks(""), std::nullopt);
  EXPECT_EQ(TicksTo100ns(250, 100), 25000000u);
  EXPECT_EQ(TicksTo100ns(1, 300), 33333u);
  // Years of idle time on many processors do not overflow.
  EXPECT_EQ(TicksTo100ns(100ull * 3600 * 24 * 365 * 10 * 256, 100), 10000000ull * 3600 * 24 * 365 * 10 * 256);
}

TEST(CpuTimes, ReadsTheGivenStatFileTheClockAndTheProcessorCount) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.file("stat"), "cpu  10 0 10 700 50 0 0 0 0 0\nintr 1\n");
  auto cpu = CreateSystemCpuTimes(dir.file("stat"));
  CpuTimesSample first, second;
  ASSERT_TRUE(cpu->Read(first));
  EXPECT_EQ(first.idleTime, TicksTo100ns(750, static_cast<std::uint64_t>(::sysconf(_SC_CLK_TCK))));
  EXPECT_EQ(first.processorCount, static_cast<std::uint32_t>(::sysconf(_SC_NPROCESSORS_ONLN)));
  testsupport::SleepMs(5);
  ASSERT_TRUE(cpu->Read(second));
  EXPECT_GE(second.systemTime - first.systemTime, 50000u);  // at least the 5 ms slept

  CpuTimesSample untouched{7, 8, 9};
  EXPECT_FALSE(CreateSystemCpuTimes(dir.file("missing"))->Read(untouched));
  testsupport::WriteFile(dir.file("bad"), "intr 1\n");
  EXPECT_FALSE(CreateSystemCpuTimes(dir.file("bad"))->Read(untouched));
  EXPECT_EQ(untouched.idleTime, 9u);

  // The real one works on this machine.
  CpuTimesSample real;
  EXPECT_TRUE(CreateSystemCpuTimes()->Read(real));
  EXPECT_GT(real.systemTime, 0u);
}

}  // namespace
}  // namespace vz::platform
