#pragma once
// The command-line side of qvadmin: each command works on the schedule record
// of the given registry, prints to out (errors to err, one line each) and
// returns the exit status: 0 done, 1 refused or failed.
#include <iosfwd>
#include <string>

#include "platform/Registry.h"

namespace vz::admin {

int ShowCommand(platform::RegistryStore& registry, std::ostream& out, std::ostream& err);
int SetCommand(platform::RegistryStore& registry, const std::string& name, const std::string& input,
               std::ostream& out, std::ostream& err);
// activate: refused while a value the shield reads is not of its form.
int ActivateCommand(platform::RegistryStore& registry, bool activate, std::ostream& out, std::ostream& err);

}  // namespace vz::admin
