// The in-memory process platform behaves like the procfs one where the
// process list logic can tell.
#include <gtest/gtest.h>

#include "platform/testing/FakeProcesses.h"

namespace vz::platform::testing {
namespace {

TEST(FakeProcesses, ListsOpensAndRefusesLikeTheRealPlatform) {
  FakeProcesses fake;
  fake.Start(30, "editor", "/usr/bin/editor", PriorityClass::BelowNormal);
  fake.Start(2, "kthreadd");
  fake.Start(10, "", "/usr/bin/nameless");
  EXPECT_EQ(fake.EnumerateProcessIds(), (std::vector<Pid>{2, 10, 30}));
  auto editor = fake.OpenProcess(30);
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->baseName, "editor");
  EXPECT_EQ(editor->priority, PriorityClass::BelowNormal);
  EXPECT_FALSE(fake.OpenProcess(2));
  fake.Find(30)->openable = false;
  EXPECT_FALSE(fake.OpenProcess(30));
  EXPECT_EQ(fake.Snapshot()[2].basePriority, 6);
  std::string signature;
  fake.AppendSnapshotSignature(signature);
  EXPECT_EQ(signature, "kthreadd,editor,");
  fake.failEnumeration = true;
  signature.clear();
  fake.AppendSnapshotSignature(signature);
  EXPECT_EQ(signature, "");
  EXPECT_TRUE(fake.Snapshot().empty());
}

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
