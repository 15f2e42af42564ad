#include "app/HintPlacement.h"

namespace vz::app {

namespace {
constexpr int kTitleBar = 32;
constexpr int kBottomOffset = 20;
constexpr int kCursorGap = 16;
constexpr int kAboveGap = 60;
}  // namespace

PanelPosition PlaceLiveScanInfo(int boxLeft, int boxTop, int pageAreaLeft) {
  return PanelPosition{boxLeft + pageAreaLeft + kCursorGap, boxTop + kTitleBar};
}

PanelPosition PlaceHintPanel(const ui::HintProbe& p) {
  PanelPosition pos;
  if (kBottomOffset + p.cursorY + p.panelHeight - p.windowTop - kTitleBar < p.clientHeight)
    pos.top = p.cursorY - p.windowTop - kTitleBar;
  else
    pos.top = p.cursorY - p.windowTop - p.panelHeight - kAboveGap;
  if (p.cursorX + p.panelWidth - p.windowLeft + kCursorGap < p.windowWidth)
    pos.left = p.cursorX + kCursorGap - p.windowLeft;
  else
    pos.left = p.cursorX - p.panelWidth - p.windowLeft;
  return pos;
}

}  // namespace vz::app
