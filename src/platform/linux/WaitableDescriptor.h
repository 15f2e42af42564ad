#pragma once
// Linux: a waitable is a file descriptor. For the Linux implementations, and
// for code that hands the descriptor to another event loop (Qt's socket
// notifier) or to poll in a test.
#include "platform/Waitable.h"

namespace vz::platform {

class WaitableNative {
 public:
  static Waitable FromDescriptor(int fd) { return fd >= 0 ? Waitable(fd) : Waitable(); }
  static int DescriptorOf(const Waitable& waitable) { return static_cast<int>(waitable.native_); }
};

// An invalid waitable for a negative descriptor.
inline Waitable WaitableForDescriptor(int fd) { return WaitableNative::FromDescriptor(fd); }
// -1 for an invalid waitable.
inline int DescriptorOf(const Waitable& waitable) { return WaitableNative::DescriptorOf(waitable); }

}  // namespace vz::platform
