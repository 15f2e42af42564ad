#include "platform/ConfiguredSettings.h"

#include <cstdlib>

namespace vz::platform {

std::string ConfiguredSearchEndpoint() {
  const char* configured = std::getenv("VAZERU_SEARCH_ENDPOINT");
  return configured ? configured : "";
}

}  // namespace vz::platform
