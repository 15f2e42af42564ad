#include "startup/StartupEntries.h"

#include "knowledge/UpperCase.h"

namespace vz::startup {

namespace {

void AddEntriesOf(platform::RegistryStore& registry, platform::RegistryRoot root, const char* tag,
                  StartupEntries& entries) {
  platform::RegistryKey key;
  // Opened for writing as the list's commands need it; a machine key that a
  // user may only read is still listed, so its entries are scanned too.
  if (!registry.OpenKey(root, kRunKey, platform::RegAccess::ReadWrite, platform::RegDisposition::OpenExisting, key) &&
      !registry.OpenKey(root, kRunKey, platform::RegAccess::Read, platform::RegDisposition::OpenExisting, key))
    return;
  std::vector<std::string> names;
  if (!key.ValueNames(names)) return;
  for (const std::string& name : names) {
    std::string command;
    if (!key.ReadString(name, command)) command.clear();
    entries.rows.push_back({name, command, tag});
    entries.fingerprint += name + "\r\n";
  }
}

}  // namespace

StartupEntries EnumerateStartupEntries(platform::RegistryStore& registry) {
  StartupEntries entries;
  AddEntriesOf(registry, platform::RegistryRoot::LocalMachine, kMachineTag, entries);
  AddEntriesOf(registry, platform::RegistryRoot::CurrentUser, kUserTag, entries);
  return entries;
}

bool TagMeansCurrentUser(const std::string& hiveTag) { return knowledge::UpperCaseText(hiveTag) == kUserTag; }

}  // namespace vz::startup
