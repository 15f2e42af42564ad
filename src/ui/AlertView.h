#pragma once
// Port: the spyware alert window. The alert model holds the fields and runs the
// button actions; the view shows it, modally when newly shown.

namespace vz::protection {
class AlertModel;
}

namespace vz::ui {

class AlertView {
 public:
  virtual ~AlertView() = default;
  virtual bool IsShowing() const = 0;
  // Shows the alert and returns only when it has been closed.
  virtual void ShowModal(protection::AlertModel& alert) = 0;
  // The alert is already on screen: show its new content and return at once.
  virtual void ShowAgain(protection::AlertModel& alert) = 0;
  // Closes the alert (ends the modal showing).
  virtual void Close() = 0;
  // Raises the open alert above the other windows.
  virtual void BringToFront() {}
};

}  // namespace vz::ui
