#pragma once
// Contract: something an event loop can wait on until it has input to read (a
// terminal, a socket, the termination signals). What it holds belongs to the
// platform (a descriptor on Linux, a handle on Windows): the core only passes
// it from where it comes to the loop that waits on it.
#include <cstdint>

namespace vz::platform {

class Waitable {
 public:
  // Nothing to wait on.
  Waitable() = default;
  bool IsValid() const { return native_ != kNone; }
  bool operator==(const Waitable&) const = default;

 private:
  // The platform's implementation alone makes and opens the value.
  friend class WaitableNative;
  static constexpr std::intptr_t kNone = -1;
  explicit Waitable(std::intptr_t native) : native_(native) {}
  std::intptr_t native_ = kNone;
};

}  // namespace vz::platform
