#include "platform/ComputerName.h"

#include <unistd.h>

namespace vz::platform {

std::string ComputerName() {
  char host[256] = {};
  // The last byte stays 0: a name cut at the buffer's end is still ended.
  if (::gethostname(host, sizeof host - 1) != 0) return {};
  return host;
}

}  // namespace vz::platform
