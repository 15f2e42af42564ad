#pragma once
// The four registry settings the browser guard keeps watch over, and the two
// small registry helpers it reads and writes them with.
#include <array>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace vz::guard {

inline constexpr const char* kBrowserPagesKey = "Software\\microsoft\\internet explorer\\Main";
inline constexpr const char* kTcpipParametersKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

struct GuardedSetting {
  platform::RegistryRoot root;
  const char* key;
  const char* valueName;
  const char* defaultValue;  // what a missing or unreadable value counts as
  const char* logText;
  const char* heading;  // first line of the question
};

// In the order the check asks about them.
inline constexpr std::array<GuardedSetting, 4> kGuardedSettings = {{
    {platform::RegistryRoot::LocalMachine, kTcpipParametersKey, "DataBasePath", "",
     "TCPIP Configuration: Location of HOSTS file changed",
     "TCPIP. Location of HOSTS file changed in Registry. HOSTS file is used with DNS lookup."},
    {platform::RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "about:blank",
     "IExplorer: Startpage change detected", "Start Page of Internet explorer changed."},
    {platform::RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Page", "",
     "IExplorer: SearchPage change detected", "Search Page of Internet explorer changed."},
    {platform::RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Bar", "", "IExplorer: SearchBar change detected",
     "Search Bar of Internet explorer changed."},
}};
inline constexpr std::size_t kStartPageSetting = 1;

// The size of the buffer a value is read into, its terminating NUL included.
inline constexpr std::size_t kReadBufferSize = 1024;

// The string value, up to its first NUL; `fallback` when the key or value is
// missing, is not a string, or does not fit the read buffer.
std::string ReadRegString(platform::RegistryStore& store, platform::RegistryRoot root, std::string_view key,
                          std::string_view name, const std::string& fallback);
// Stores the text as a string value of an existing key (the key is never
// created); a failure is ignored.
void WriteRegString(platform::RegistryStore& store, platform::RegistryRoot root, std::string_view key,
                    std::string_view name, const std::string& text);

}  // namespace vz::guard
