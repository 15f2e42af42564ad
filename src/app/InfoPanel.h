#pragma once
// The floating info panel: the text beside "Live Scan Process's" while the
// mouse is over it, and, while the main window shows, the hint of whatever
// control lies under the cursor, looked at by a 250 ms timer.
#include <memory>

#include "ui/MainWindowView.h"
#include "ui/Timer.h"

namespace vz::app {

inline constexpr const char* kLiveScanInfoText =
    "Activates Live scanning of processes. It will capture possible Spyware instantly";
inline constexpr int kHintIntervalMs = 250;

class InfoPanel {
 public:
  InfoPanel(ui::MainWindowView& view, ui::TimerFactory& timers);

  // Entering the box shows the text beside it (box position within the page
  // area, page area left within the window); leaving hides it.
  void LiveScanEntered(int boxLeft, int boxTop, int pageAreaLeft);
  void LiveScanLeft();

  // The window has become visible: the hints follow the cursor again.
  void StartHints();
  void Hide() { view_.HideInfoPanel(); }
  // One expiry of the hint timer.
  void HintTimerTick();
  ui::Timer& HintTimer() { return *hintTimer_; }

 private:
  ui::MainWindowView& view_;
  std::unique_ptr<ui::Timer> hintTimer_;
};

}  // namespace vz::app
