#include "app/OwnAutostartEntry.h"

#include "platform/AppFolder.h"

namespace vz::app {

platform::RegistryKey OwnAutostartEntry::OpenRunKeyForWriting() {
  platform::RegistryKey key;
  // Opened without creating it; a key that cannot be opened for writing (no
  // rights on the machine's Run key) leaves everything as it is.
  if (!registry_.OpenKey(platform::RegistryRoot::LocalMachine, kRunKey, platform::RegAccess::ReadWrite,
                         platform::RegDisposition::OpenExisting, key))
    return {};
  return key;
}

void OwnAutostartEntry::StartOnSystemStartup() {
  platform::RegistryKey key = OpenRunKeyForWriting();
  if (key.IsOpen()) key.WriteString(kOwnRunValue, platform::StartupCommandFor(platform::OwnExecutablePath()));
  if (afterChange_) afterChange_();
}

void OwnAutostartEntry::RemoveFromSystemStartup() {
  platform::RegistryKey key = OpenRunKeyForWriting();
  if (key.IsOpen()) key.DeleteValue(kOwnRunValue);
  if (afterChange_) afterChange_();
}

}  // namespace vz::app
