#pragma once
// Where the floating info panel goes: beside the "Live Scan Process's" box, or
// near the mouse cursor for a control's hint, kept inside the main window.
#include "ui/MainWindowView.h"

namespace vz::app {

struct PanelPosition {
  int left = 0;
  int top = 0;
  bool operator==(const PanelPosition&) const = default;
};

// Beside the live-scan box: its left plus the page area's left plus 16, its top plus 32.
PanelPosition PlaceLiveScanInfo(int boxLeft, int boxTop, int pageAreaLeft);

// Near the cursor, in the window's coordinates: below it while the panel fits
// above the bottom of the client area, otherwise above it; right of it while
// it fits inside the window's width, otherwise left of it. 32 allows for the
// title bar, 20 is the distance kept from the bottom.
PanelPosition PlaceHintPanel(const ui::HintProbe& probe);

}  // namespace vz::app
