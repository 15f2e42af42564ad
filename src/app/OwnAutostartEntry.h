#pragma once
// The shield's own entry in the machine's Run key: "Start shield on system
// startup" writes it with the running program's path, "Remove Vazeru from
// system startup" deletes it. Without the rights to write the key both leave
// everything as it is. Either way the startup list is rebuilt afterwards.
#include <functional>

#include "platform/Registry.h"

namespace vz::app {

inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN";
inline constexpr const char* kOwnRunValue = "Orvane shield";

class OwnAutostartEntry {
 public:
  explicit OwnAutostartEntry(platform::RegistryStore& registry) : registry_(registry) {}

  // Runs after each of the two commands (the startup list is rebuilt there).
  void SetAfterChange(std::function<void()> afterChange) { afterChange_ = std::move(afterChange); }

  void StartOnSystemStartup();
  void RemoveFromSystemStartup();

 private:
  platform::RegistryKey OpenRunKeyForWriting();

  platform::RegistryStore& registry_;
  std::function<void()> afterChange_;
};

}  // namespace vz::app
