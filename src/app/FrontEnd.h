#pragma once
// What a front end (the windows, or the terminal) gives the main block: the
// ports, a message loop, and a way to be told about activation requests.
#include <functional>

#include "ui/Ports.h"

namespace vz::platform {
class ActivationListener;
}

namespace vz::app {

class Shield;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual ui::Ports Ports() = 0;
  // Connects the front end's displays to the shield once its windows exist.
  virtual void AttachShield(Shield& shield) = 0;
  // Runs the message loop until Terminate(); returns when it has ended.
  virtual int RunMessageLoop() = 0;
  virtual void Terminate() = 0;
  // Calls onActivate on the UI thread for each activation request.
  virtual void WatchActivation(platform::ActivationListener& listener, std::function<void()> onActivate) = 0;
};

}  // namespace vz::app
