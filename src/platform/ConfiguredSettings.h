#pragma once
// Contract: the settings a user, an administrator or a test gives the shield
// from outside the program (on Linux, environment variables). The core asks
// here instead of reading the environment itself.
#include <string>

namespace vz::platform {

// Scheme and host of the web search that "More Info" opens; "" when none is
// configured (VAZERU_SEARCH_ENDPOINT on Linux).
std::string ConfiguredSearchEndpoint();

}  // namespace vz::platform
