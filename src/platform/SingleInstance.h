#pragma once
// Contract: the single-instance region and the activation of the running
// instance. The region holds one 32-bit value: the identity of the instance
// that owns the guard (on Linux its PID), 0 when none.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Waitable.h"

namespace vz::platform {

class InstanceRegion {
 public:
  virtual ~InstanceRegion() = default;
  // Create-or-open; an existing region's value, or 0 after writing 0 into a new one.
  // Any failure gives 0.
  virtual std::uint32_t ReadPublishedHandle(const std::string& instanceName) = 0;
  // Create-or-open and store the value; failures are silent.
  virtual void PublishHandle(const std::string& instanceName, std::uint32_t handle) = 0;
  // True when the value names a live instance of this program.
  virtual bool NamesRunningInstance(std::uint32_t handle) = 0;
  // Asks that instance to show its main window; false when it cannot be reached.
  virtual bool RequestActivation(const std::string& instanceName, std::uint32_t handle) = 0;
  // The value this process publishes (its PID).
  virtual std::uint32_t OwnHandle() = 0;
};

// Receives activation requests for this instance. onActivate runs on the thread
// that calls Poll / on the event loop the front end attaches it to.
class ActivationListener {
 public:
  virtual ~ActivationListener() = default;
  // Has input when requests wait (invalid when listening failed).
  virtual Waitable WaitHandle() const = 0;
  // Accepts pending requests; returns how many activations arrived.
  virtual int AcceptPending() = 0;
};

// The instance name to use: VAZERU_INSTANCE_NAME when set and not empty (tests
// run beside a real shield that way), otherwise defaultName.
std::string InstanceNameFor(const std::string& defaultName);

std::unique_ptr<InstanceRegion> CreateInstanceRegion();
// Starts listening for activation requests of instanceName; nullptr on failure.
std::unique_ptr<ActivationListener> ListenForActivation(const std::string& instanceName);

}  // namespace vz::platform
