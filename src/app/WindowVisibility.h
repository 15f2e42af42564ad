#pragma once
// Showing and hiding the main window: "Show Vazeru", the show handler, and
// the close request and system commands that only ever hide it (a hidden
// window is in the normal and then the minimised state).
#include "app/InfoPanel.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "ui/AlertView.h"
#include "ui/MainWindowView.h"

namespace vz::app {

// System commands of the title bar and the task bar.
inline constexpr int kSysCommandMinimize = 0xF020;
inline constexpr int kSysCommandClose = 0xF060;

class WindowVisibility {
 public:
  WindowVisibility(ui::MainWindowView& view, ui::AlertView& alert, InfoPanel& info,
                   const inventory::ProcessList& processes, const knowledge::KnowledgeBase& knowledge)
      : view_(view), alert_(alert), info_(info), processes_(processes), knowledge_(knowledge) {}

  // "Show Vazeru": normal state, shown, in front; an open alert comes to the front too.
  void ShowVazeru();
  // The show handler: runs whenever the window has become visible.
  void OnShown();
  // A close request: refused, the window is hidden instead. Returns whether to close (never).
  bool OnCloseRequest();
  // A system command; true when handled here (minimise and close hide the window).
  bool OnSystemCommand(int command);
  void HideMainWindow();

 private:
  ui::MainWindowView& view_;
  ui::AlertView& alert_;
  InfoPanel& info_;
  const inventory::ProcessList& processes_;
  const knowledge::KnowledgeBase& knowledge_;
};

}  // namespace vz::app
