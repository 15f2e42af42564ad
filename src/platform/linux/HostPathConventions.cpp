#include "platform/PathConventions.h"

namespace vz::platform {

const PathConventions& HostPathConventions() { return LinuxPathConventions(); }

}  // namespace vz::platform
