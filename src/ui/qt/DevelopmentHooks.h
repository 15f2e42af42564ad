#pragma once
// Hooks for the screenshot smoke test and for looking at the windows during
// development, switched on by the environment only:
//   VAZERU_SHOW_AT_START=1   "Show Vazeru" as soon as the start-up phase allows it
//   VAZERU_SCREENSHOT=FILE   once shown with its process list filled, the screen
//                            is saved as a PNG to FILE and the shield exits
// Without them nothing is installed.
namespace vz::app {
class Shield;
}

namespace vz::ui::qt {

class QtMainWindowView;

void InstallDevelopmentHooks(app::Shield& shield, QtMainWindowView& view);

}  // namespace vz::ui::qt
