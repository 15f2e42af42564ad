#pragma once
// The four commands of vazeru-reg on a registry store. Each writes what it
// shows to `out` and a one-line error to `err`, and returns the exit status:
// 0 on success, 1 on any failure.
#include <ostream>
#include <string>

#include "KeyName.h"
#include "platform/Registry.h"

namespace vz::reg {

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

// The value NAME (a string as its text, anything else as the hive format
// writes its data), or every value of the key as the hive format writes them.
int Query(platform::RegistryStore& store, const KeyName& key, const std::string* name, Streams io);
// Writes the string value NAME, creating the key when it is missing.
int Set(platform::RegistryStore& store, const KeyName& key, const std::string& name, const std::string& data,
        Streams io);
// Deletes the value NAME, or the key with everything below it.
int Delete(platform::RegistryStore& store, const KeyName& key, const std::string* name, Streams io);
// The key and its subtree (or, with no key, both roots) as REGEDIT4 text.
int Export(platform::RegistryStore& store, const KeyName* key, Streams io);

}  // namespace vz::reg
