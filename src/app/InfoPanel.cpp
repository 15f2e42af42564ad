#include "app/InfoPanel.h"

#include "app/HintPlacement.h"
#include "knowledge/TextFields.h"

namespace vz::app {

InfoPanel::InfoPanel(ui::MainWindowView& view, ui::TimerFactory& timers)
    : view_(view), hintTimer_(timers.CreateTimer(kHintIntervalMs, [this] { HintTimerTick(); })) {}

void InfoPanel::LiveScanEntered(int boxLeft, int boxTop, int pageAreaLeft) {
  PanelPosition pos = PlaceLiveScanInfo(boxLeft, boxTop, pageAreaLeft);
  view_.ShowInfoPanel(kLiveScanInfoText, pos.left, pos.top);
}

void InfoPanel::LiveScanLeft() { view_.HideInfoPanel(); }

void InfoPanel::StartHints() {
  if (!hintTimer_->IsRunning()) hintTimer_->Start();
}

void InfoPanel::HintTimerTick() {
  if (!view_.IsWindowShowing()) {
    // Nothing to point at while hidden; the next showing starts the timer again.
    hintTimer_->Stop();
    view_.HideInfoPanel();
    return;
  }
  ui::HintProbe probe = view_.ProbeUnderCursor();
  if (!probe.found || probe.name.empty() || knowledge::TrimBlanks(probe.hint).empty()) {
    view_.HideInfoPanel();
    return;
  }
  PanelPosition pos = PlaceHintPanel(probe);
  view_.ShowInfoPanel(probe.hint, pos.left, pos.top);
}

}  // namespace vz::app
