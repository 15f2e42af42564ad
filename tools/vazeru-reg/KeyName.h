#pragma once
// A key as the user writes it on the command line: a root (HKLM, HKCU or
// their long names, in any case) and a path below it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vz::reg {

struct KeyName {
  platform::RegistryRoot root = platform::RegistryRoot::LocalMachine;
  std::string path;  // normalised, "" for the root itself
};

// nullopt when the text does not start with a known root followed by a
// backslash (or is the root alone), or names a path no key can have.
std::optional<KeyName> ParseKeyName(std::string_view text);

// "HKEY_CURRENT_USER\Software\X" (the root alone for the root).
std::string FullKeyName(const KeyName& key);

}  // namespace vz::reg
