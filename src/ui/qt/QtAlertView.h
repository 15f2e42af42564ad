#pragma once
// The alert port on Qt: the alert window is created when first needed, shown
// modally when it appears and refreshed in place while it is open.
#include <functional>
#include <memory>

#include "ui/AlertView.h"

namespace vz::ui::qt {

class AlertWindow;

class QtAlertView final : public AlertView {
 public:
  QtAlertView();
  ~QtAlertView() override;
  bool IsShowing() const override;
  void ShowModal(protection::AlertModel& alert) override;
  void ShowAgain(protection::AlertModel& alert) override;
  void Close() override;
  void BringToFront() override;

  // The window, or nullptr before the first alert.
  AlertWindow* Window() const { return window_.get(); }
  // Called each time the window has appeared (tests act on it then).
  void SetOnShown(std::function<void(AlertWindow&)> onShown) { onShown_ = std::move(onShown); }

 private:
  AlertWindow& EnsureWindow();
  std::unique_ptr<AlertWindow> window_;
  std::function<void(AlertWindow&)> onShown_;
  bool modalOpen_ = false;  // its modal loop runs, even while the desktop hides it
};

}  // namespace vz::ui::qt
