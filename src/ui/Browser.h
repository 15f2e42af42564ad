#pragma once
// Port: opens a web address, or a folder in the file manager, for the user.
#include <string>

namespace vz::ui {

class Browser {
 public:
  virtual ~Browser() = default;
  virtual void Open(const std::string& url) = 0;
  virtual void OpenFolder(const std::string& folder) = 0;
};

}  // namespace vz::ui
