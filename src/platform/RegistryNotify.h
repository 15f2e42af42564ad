#pragma once
// Contract: change notification on a registry key and its subtree. One
// notification serves one waiting thread: Arm() takes the key's present state,
// Wait() blocks until something of the filtered kinds changes after that,
// Arm() again to wait for the next change. The signal stays set (a manual-reset
// event) until the next Arm().
#include <cstdint>

namespace vz::platform {

inline constexpr std::uint32_t kNotifyChangeName = 0x1;        // subkey added or deleted
inline constexpr std::uint32_t kNotifyChangeAttributes = 0x2;  // (no such change here)
inline constexpr std::uint32_t kNotifyChangeLastSet = 0x4;    // value set or deleted
inline constexpr std::uint32_t kNotifyChangeSecurity = 0x8;    // (no such change here)
inline constexpr std::uint32_t kRegNotifyDefaultFilter = 0xF;

enum class NotifyWait { Signalled, TimedOut, Cancelled };

class RegistryNotification {
 public:
  virtual ~RegistryNotification() = default;
  // Clears the signal and arms for the next change after now.
  virtual void Arm() = 0;
  // Blocks until the armed notification is signalled, the timeout passes
  // (timeoutMs < 0: no limit) or Cancel() is called. An unarmed or suspended
  // notification is never reported as signalled.
  virtual NotifyWait Wait(int timeoutMs = -1) = 0;
  // While suspended, Wait() does not report; a change made meanwhile stays
  // pending and is reported once resumed. Any thread may call these.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
  // Ends the current and every later Wait() with Cancelled. Any thread.
  virtual void Cancel() = 0;
};

}  // namespace vz::platform
