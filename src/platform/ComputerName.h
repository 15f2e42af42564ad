#pragma once
// Contract: the name this computer goes by on the network, as a registry
// connection to "this computer" names it.
#include <string>

namespace vz::platform {

// "" when the system cannot tell.
std::string ComputerName();

}  // namespace vz::platform
