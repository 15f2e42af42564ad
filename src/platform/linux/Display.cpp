#include "platform/Display.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstddef>
#include <cstring>

namespace vz::platform {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool Connects(const std::string& socketPath, bool abstract) {
  sockaddr_un address {};
  address.sun_family = AF_UNIX;
  size_t offset = abstract ? 1 : 0;
  if (socketPath.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, socketPath.data(), socketPath.size());
  socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + socketPath.size() + (abstract ? 0 : 1));
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  ::close(fd);
  return ok;
}

// ":N", ":N.S" or "unix:N": the local X server N; anything else is remote.
bool LocalX11Display(const std::string& display, std::string& number) {
  std::string rest;
  if (display.rfind("unix:", 0) == 0) {
    rest = display.substr(5);
  } else if (!display.empty() && display[0] == ':') {
    rest = display.substr(1);
  } else {
    return false;
  }
  size_t dot = rest.find('.');
  number = rest.substr(0, dot);
  return !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool DisplayNamed() { return !Variable("DISPLAY").empty() || !Variable("WAYLAND_DISPLAY").empty(); }

bool DisplayReachable(std::string* whyNot) {
  std::string wayland = Variable("WAYLAND_DISPLAY");
  if (!wayland.empty()) {
    std::string path = wayland[0] == '/' ? wayland : Variable("XDG_RUNTIME_DIR") + "/" + wayland;
    if (Connects(path, false)) return true;
  }
  std::string display = Variable("DISPLAY");
  if (!display.empty()) {
    std::string number;
    if (!LocalX11Display(display, number)) return true;
    std::string path = "/tmp/.X11-unix/X" + number;
    if (Connects(path, false) || Connects(path, true)) return true;
  }
  if (whyNot) {
    *whyNot = !display.empty() ? "the display '" + display + "' cannot be reached"
              : !wayland.empty() ? "the Wayland display '" + wayland + "' cannot be reached"
                                 : "no display is named";
  }
  return false;
}

}  // namespace vz::platform
