// The in-memory process platform ends processes the way the procfs one does:
// bound to the start time the caller recorded.
#include <gtest/gtest.h>

#include "platform/testing/FakeProcesses.h"

namespace vz::platform::testing {
namespace {

TEST(FakeProcesses, TerminationRecordsCallsAndHonoursTheStartTime) {
  FakeProcesses fake;
  std::uint64_t start = fake.Start(40, "spy", "/tmp/spy").startTime;
  std::string error;
  auto handle = fake.OpenForTermination(40, start, error);
  ASSERT_TRUE(handle);
  std::uint32_t code = 0;
  ASSERT_TRUE(handle->GetExitCode(code, error));
  EXPECT_EQ(code, kStillActive);
  ASSERT_TRUE(handle->Terminate(code, error));
  ASSERT_EQ(fake.terminations().size(), 1u);
  EXPECT_EQ(fake.terminations()[0].pid, 40u);
  EXPECT_EQ(fake.terminations()[0].exitCode, kStillActive);
  EXPECT_FALSE(fake.Find(40));
  EXPECT_FALSE(handle->GetExitCode(code, error));
  EXPECT_EQ(error, "No such process");

  // The PID comes back as another program: the recorded start time is refused,
  // and an old handle does not reach the newcomer.
  fake.Start(41, "spy2", "/tmp/spy2");
  auto old = fake.OpenForTermination(41, 0, error);
  ASSERT_TRUE(old);
  std::uint64_t recorded = fake.Find(41)->startTime;
  fake.ReusePid(41, "innocent", "/usr/bin/innocent");
  EXPECT_FALSE(fake.OpenForTermination(41, recorded, error));
  EXPECT_EQ(error, "No such process");
  EXPECT_FALSE(old->Terminate(0, error));
  EXPECT_TRUE(fake.Find(41));
  EXPECT_EQ(fake.terminations().size(), 1u);

  fake.Find(41)->mayTerminate = false;
  EXPECT_FALSE(fake.OpenForTermination(41, 0, error));
  EXPECT_EQ(error, "Operation not permitted");
}

}  // namespace
}  // namespace vz::platform::testing
