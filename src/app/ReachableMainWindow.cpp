#include "app/ReachableMainWindow.h"

namespace vz::app {

void ReachableMainWindow::HideWindow() {
  // Until the start-up phase has ended the window stays hidden, as everywhere.
  if (trayAvailable_ || !showVazeruAvailable_) {
    inner_.HideWindow();
    return;
  }
  inner_.SetWindowState(ui::WindowState::Minimized);
  inner_.ShowWindow();
  minimisedForHide_ = true;
}

void ReachableMainWindow::ShowWindow() {
  if (minimisedForHide_) {
    minimisedForHide_ = false;
    inner_.SetWindowState(ui::WindowState::Normal);
  }
  inner_.ShowWindow();
}

void ReachableMainWindow::SetWindowState(ui::WindowState state) {
  // A "hidden" window stays minimised until it is shown again.
  if (minimisedForHide_ && state == ui::WindowState::Normal) return;
  inner_.SetWindowState(state);
}

void ReachableMainWindow::SetShowVazeruEnabled(bool enabled) {
  inner_.SetShowVazeruEnabled(enabled);
  showVazeruAvailable_ = enabled;
  if (enabled && !trayAvailable_ && !inner_.IsWindowShowing()) HideWindow();
}

}  // namespace vz::app
