#pragma once
// Contract: whether a graphical display can be reached, so that the shield
// opens its windows only where they can be shown and runs in the terminal
// otherwise (a stale DISPLAY in a remote shell must not end the program).
#include <string>

namespace vz::platform {

// DISPLAY or WAYLAND_DISPLAY names a display.
bool DisplayNamed();
// A named display whose local socket accepts a connection (a display on
// another host is taken as reachable). whyNot says which display failed.
bool DisplayReachable(std::string* whyNot = nullptr);

}  // namespace vz::platform
