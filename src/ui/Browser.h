#pragma once
// Port: opens a web address for the user.
#include <string>

namespace vz::ui {

class Browser {
 public:
  virtual ~Browser() = default;
  virtual void Open(const std::string& url) = 0;
};

}  // namespace vz::ui
