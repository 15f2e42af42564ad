#include "app/WindowVisibility.h"

#include "app/ProgramInfoText.h"

namespace vz::app {

void WindowVisibility::ShowVazeru() {
  view_.SetWindowState(ui::WindowState::Normal);
  view_.ShowWindow();
  view_.BringToFront();
  if (alert_.IsShowing()) alert_.BringToFront();
}

void WindowVisibility::OnShown() {
  view_.SetStatusPanel(0, "Processes: " + std::to_string(processes_.Names().size()));
  view_.SetProgramInfo(CurrentProgramInfo(knowledge_));
  // The front ends create the window hidden, so there is no first showing by
  // the framework to take out of sight: every showing stays visible.
  info_.StartHints();
}

void WindowVisibility::HideMainWindow() {
  view_.HideWindow();
  view_.SetWindowState(ui::WindowState::Normal);
  view_.SetWindowState(ui::WindowState::Minimized);
  info_.Hide();
}

bool WindowVisibility::OnCloseRequest() {
  HideMainWindow();
  return false;
}

bool WindowVisibility::OnSystemCommand(int command) {
  if (command != kSysCommandMinimize && command != kSysCommandClose) return false;
  HideMainWindow();
  return true;
}

}  // namespace vz::app
