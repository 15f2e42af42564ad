#pragma once
// Opens the window "Orvane Admin" on the schedule record of the registry and
// runs until it is closed; returns the exit status.
#include "platform/Registry.h"

namespace vz::admin {

int RunAdminWindow(int argc, char** argv, platform::RegistryStore& registry);

}  // namespace vz::admin
