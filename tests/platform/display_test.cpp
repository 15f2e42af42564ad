#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Display.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

// Sets the display variables for one test and puts the old ones back.
class DisplayEnvironment {
 public:
  DisplayEnvironment(const char* display, const char* wayland) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
      const char* old = ::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    Set("DISPLAY", display);
    Set("WAYLAND_DISPLAY", wayland);
  }
  ~DisplayEnvironment() {
    for (auto& [name, value] : saved_) Set(name, value ? value->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(Display, NamedButUnreachableDisplaysSendTheShieldToTheTerminal) {
  {
    DisplayEnvironment env(nullptr, nullptr);
    EXPECT_FALSE(DisplayNamed());
    EXPECT_FALSE(DisplayReachable());
  }
  {
    DisplayEnvironment env(":4711", nullptr);
    EXPECT_TRUE(DisplayNamed());
    std::string why;
    EXPECT_FALSE(DisplayReachable(&why));
    EXPECT_NE(why.find(":4711"), std::string::npos);
  }
  {
    // A display on another host cannot be probed here: it is tried.
    DisplayEnvironment env("otherhost:0", nullptr);
    EXPECT_TRUE(DisplayReachable());
  }
}

TEST(Display, AListeningWaylandSocketIsReachable) {
  testsupport::TempDir dir;
  std::string path = dir.file("wayland-test");
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(fd, 4), 0);
  {
    DisplayEnvironment env(nullptr, path.c_str());
    EXPECT_TRUE(DisplayReachable());
  }
  ::close(fd);
  {
    DisplayEnvironment env(nullptr, path.c_str());
    EXPECT_FALSE(DisplayReachable());
  }
}

}  // namespace
}  // namespace vz::platform
