#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/PathConventions.h"
#include "platform/Registry.h"
#include "platform/linux/HiveFileRegistry.h"

namespace vz::platform {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string ConfigHome() {
  std::string config = Env("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return ExcludeTrailingSeparator(config);
  std::string home = Env("HOME");
  return ExcludeTrailingSeparator(home.empty() ? std::string("/tmp") : home) + "/.config";
}

constexpr const char* kFolderOverrides[] = {"VAZERU_REGISTRY_DIR", "VAZERU_AUTOSTART_MACHINE_DIR"};

}  // namespace

void MakeLocationOverridesAbsolute() {
  for (const char* name : kFolderOverrides) {
    std::string value = Env(name);
    if (!value.empty() && value.front() != HostPathConventions().separator)
      ::setenv(name, AbsolutePath(value).c_str(), 1);
  }
}

RegistryLocations DefaultRegistryLocations() {
  RegistryLocations locations;
  std::string config = ConfigHome();
  std::string shared = Env("VAZERU_REGISTRY_DIR");
  if (!shared.empty()) {
    shared = IncludeTrailingSeparator(shared);
    locations.machineHive = shared + "machine.reg";
    locations.userHive = shared + "user.reg";
  } else {
    locations.machineHive = "/var/lib/orvane-vazeru/registry/machine.reg";
    locations.userHive = config + "/orvane-vazeru/registry/user.reg";
  }
  std::string machineAutostart = Env("VAZERU_AUTOSTART_MACHINE_DIR");
  locations.machineAutostart = machineAutostart.empty() ? std::string("/etc/xdg/autostart") : machineAutostart;
  locations.userAutostart = config + "/autostart";
  return locations;
}

std::unique_ptr<RegistryStore> OpenRegistryStore(const RegistryLocations& locations) {
  return std::make_unique<hivefs::HiveFileRegistry>(locations);
}

std::unique_ptr<RegistryStore> OpenSystemRegistry() { return OpenRegistryStore(DefaultRegistryLocations()); }

}  // namespace vz::platform
