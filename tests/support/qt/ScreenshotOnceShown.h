#pragma once
// For the smoke test of the whole program: once the main window is shown with
// its process list filled and has had time to be drawn, the screen is saved
// as a PNG and the shield ends through "Exit Vazeru".
#include <string>

namespace vz::app {
class Shield;
}
namespace vz::ui::qt {
class QtFrontEnd;
}

namespace vz::testsupport {

void ScreenshotOnceShown(app::Shield& shield, ui::qt::QtFrontEnd& frontEnd, const std::string& file);

}  // namespace vz::testsupport
