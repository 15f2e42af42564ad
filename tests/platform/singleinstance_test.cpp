// The single-instance guard: the shared region, the running-instance test and
// activation requests, with a private instance name per test.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/SingleInstance.h"
#include "platform/linux/SingleInstanceNames.h"
#include "platform/linux/WaitableDescriptor.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testsupport::ChildProcess;
using testsupport::TempDir;

// A name no other test or running shield uses; its region is removed after.
class PrivateInstance {
 public:
  PrivateInstance() {
    static int counter = 0;
    name_ = "Vazeru test " + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    RemoveInstanceRegion(name_);
  }
  ~PrivateInstance() { RemoveInstanceRegion(name_); }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

bool Readable(int fd, int timeoutMs) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, timeoutMs) == 1;
}

TEST(SingleInstance, InstanceNameComesFromTheEnvironmentWhenSet) {
  const char* saved = std::getenv("VAZERU_INSTANCE_NAME");
  std::string keep = saved ? saved : "";
  ::setenv("VAZERU_INSTANCE_NAME", "Vazeru test override", 1);
  EXPECT_EQ(InstanceNameFor("Orvane Vazeru"), "Vazeru test override");
  ::setenv("VAZERU_INSTANCE_NAME", "", 1);
  EXPECT_EQ(InstanceNameFor("Orvane Vazeru"), "Orvane Vazeru");
  ::unsetenv("VAZERU_INSTANCE_NAME");
  EXPECT_EQ(InstanceNameFor("Orvane Vazeru"), "Orvane Vazeru");
  if (saved) ::setenv("VAZERU_INSTANCE_NAME", keep.c_str(), 1);

  // Names are per user, and a '/' in the name cannot escape the shm folder.
  std::string uid = std::to_string(::geteuid());
  EXPECT_EQ(InstanceRegionName("Orvane Vazeru"), "/Orvane Vazeru." + uid);
  EXPECT_EQ(InstanceRegionName("a/b"), "/a_b." + uid);
  EXPECT_NE(ActivationSocketName("x", 1), ActivationSocketName("x", 2));
  EXPECT_LT(ActivationSocketName(std::string(300, 'n'), 123).size(), 108u);
  EXPECT_NE(ActivationSocketName(std::string(300, 'n'), 123).find("/123/"), std::string::npos);
}

TEST(SingleInstance, RegionStartsAtZeroAndKeepsThePublishedValue) {
  PrivateInstance instance;
  auto region = CreateInstanceRegion();
  EXPECT_EQ(region->ReadPublishedHandle(instance.name()), 0u);  // new
  EXPECT_EQ(region->ReadPublishedHandle(instance.name()), 0u);  // existing, still 0
  region->PublishHandle(instance.name(), 123456);
  EXPECT_EQ(region->ReadPublishedHandle(instance.name()), 123456u);
  // Another object (another process in real life) sees the same value.
  EXPECT_EQ(CreateInstanceRegion()->ReadPublishedHandle(instance.name()), 123456u);
  region->PublishHandle(instance.name(), region->OwnHandle());
  EXPECT_EQ(region->ReadPublishedHandle(instance.name()), static_cast<std::uint32_t>(::getpid()));

  // A region left unsized by a creator that died half-way reads 0.
  PrivateInstance unsized;
  int fd = ::shm_open(InstanceRegionName(unsized.name()).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(region->ReadPublishedHandle(unsized.name()), 0u);
  region->PublishHandle(unsized.name(), 77);
  EXPECT_EQ(region->ReadPublishedHandle(unsized.name()), 77u);
}

TEST(SingleInstance, ARegionOwnedByAnotherUserIsIgnored) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the region to another user";
  PrivateInstance instance;
  auto region = CreateInstanceRegion();
  region->PublishHandle(instance.name(), 4242);
  int fd = ::shm_open(InstanceRegionName(instance.name()).c_str(), O_RDWR, 0);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fchown(fd, 65534, 65534), 0);
  ::close(fd);
  EXPECT_EQ(region->ReadPublishedHandle(instance.name()), 0u);
  region->PublishHandle(instance.name(), 99);  // not written into a foreign region
  fd = ::shm_open(InstanceRegionName(instance.name()).c_str(), O_RDONLY, 0);
  std::uint32_t value = 0;
  ASSERT_EQ(::pread(fd, &value, sizeof value, 0), static_cast<ssize_t>(sizeof value));
  ::close(fd);
  EXPECT_EQ(value, 4242u);
}

TEST(SingleInstance, OnlyALiveShieldCountsAsRunning) {
  auto region = CreateInstanceRegion();
  EXPECT_FALSE(region->NamesRunningInstance(0));
  EXPECT_FALSE(region->NamesRunningInstance(static_cast<std::uint32_t>(::getpid())));  // not a qvshield
  EXPECT_FALSE(region->NamesRunningInstance(0xFFFFFFFFu));

  TempDir dir;
  ChildProcess other(dir.path(), "qvshield-helper");
  EXPECT_FALSE(region->NamesRunningInstance(static_cast<std::uint32_t>(other.pid())));

  TempDir shieldDir;
  ChildProcess shield(shieldDir.path(), "qvshield");
  auto pid = static_cast<std::uint32_t>(shield.pid());
  EXPECT_TRUE(region->NamesRunningInstance(pid));
  // Replaced by an update while it runs: still the shield.
  std::filesystem::remove(shield.path());
  EXPECT_TRUE(region->NamesRunningInstance(pid));
  // Dead but not yet reaped: not running.
  ::kill(shield.pid(), SIGKILL);
  EXPECT_TRUE(testsupport::WaitUntil([&] { return !region->NamesRunningInstance(pid); }, 5000));
  shield.Kill();
  EXPECT_FALSE(region->NamesRunningInstance(pid));
}

TEST(SingleInstance, ActivationRequestsReachTheListenerOfThatInstance) {
  PrivateInstance instance;
  auto region = CreateInstanceRegion();
  auto listener = ListenForActivation(instance.name());
  ASSERT_TRUE(listener);
  ASSERT_TRUE(listener->WaitHandle().IsValid());
  EXPECT_EQ(listener->AcceptPending(), 0);
  EXPECT_FALSE(ListenForActivation(instance.name()));  // one listener per instance

  std::uint32_t self = region->OwnHandle();
  ASSERT_TRUE(region->RequestActivation(instance.name(), self));
  EXPECT_TRUE(Readable(DescriptorOf(listener->WaitHandle()), 2000));
  EXPECT_EQ(listener->AcceptPending(), 1);
  EXPECT_EQ(listener->AcceptPending(), 0);
  EXPECT_FALSE(Readable(DescriptorOf(listener->WaitHandle()), 0));

  // From another process, twice.
  std::string name = instance.name();
  pid_t requester = ::fork();
  if (requester == 0) {
    auto r = CreateInstanceRegion();
    ::_exit(r->RequestActivation(name, self) && r->RequestActivation(name, self) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(requester, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(listener->AcceptPending(), 2);

  // Another instance name, another PID, or no listener: not delivered.
  PrivateInstance other;
  EXPECT_FALSE(region->RequestActivation(other.name(), self));
  EXPECT_FALSE(region->RequestActivation(instance.name(), self + 1));
  EXPECT_FALSE(region->RequestActivation(instance.name(), 0));
  EXPECT_EQ(listener->AcceptPending(), 0);
  listener.reset();
  EXPECT_FALSE(region->RequestActivation(instance.name(), self));
}

}  // namespace
}  // namespace vz::platform
