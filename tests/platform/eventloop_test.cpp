// The event loop waits on waitables: a pipe's read end made into one here,
// as the Linux implementations do with their descriptors.
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <thread>

#include "platform/EventLoop.h"
#include "platform/linux/WaitableDescriptor.h"

namespace vz::platform {
namespace {

TEST(EventLoop, WatchedWaitableRunsItsCallbackWhileItHasInputUntilUnwatched) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const Waitable readEnd = WaitableForDescriptor(fds[0]);
  ASSERT_TRUE(readEnd.IsValid());
  EXPECT_EQ(DescriptorOf(readEnd), fds[0]);
  EXPECT_FALSE(WaitableForDescriptor(-1).IsValid());
  EXPECT_EQ(DescriptorOf(Waitable()), -1);

  auto loop = CreateEventLoop();
  int calls = 0;
  std::string received;
  loop->Watch(readEnd, [&] {
    ++calls;
    char buffer[16];
    ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<size_t>(n));
  });
  // An invalid waitable is never ready and takes no other's place.
  loop->Watch(Waitable(), [&] { ADD_FAILURE() << "an invalid waitable fired"; });
  loop->ProcessPending();
  EXPECT_EQ(calls, 0);

  ASSERT_EQ(::write(fds[1], "ab", 2), 2);
  loop->ProcessPending();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(received, "ab");

  loop->Unwatch(readEnd);
  ASSERT_EQ(::write(fds[1], "c", 1), 1);
  loop->ProcessPending();
  EXPECT_EQ(calls, 1);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(EventLoop, PostedFunctionsRunOnTheLoopWithoutTheCallerWaitingAndRepostsWaitATurn) {
  auto loop = CreateEventLoop();
  std::thread::id ranOn;
  int reposts = 0;
  std::function<void()> again = [&] {
    if (++reposts < 3) loop->PostToLoop(again);
  };
  std::thread poster([&] {
    EXPECT_TRUE(loop->PostToLoop([&] { ranOn = std::this_thread::get_id(); }));
    EXPECT_TRUE(loop->PostToLoop(again));
  });
  poster.join();  // returned without the loop having run anything
  EXPECT_EQ(reposts, 0);
  loop->ProcessPending();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  // A function that posts again runs once per turn, not in a loop of its own.
  EXPECT_EQ(reposts, 1);
  loop->ProcessPending();
  EXPECT_EQ(reposts, 2);
  loop->Quit(0);
  EXPECT_FALSE(loop->PostToLoop([] {}));
}

}  // namespace
}  // namespace vz::platform
