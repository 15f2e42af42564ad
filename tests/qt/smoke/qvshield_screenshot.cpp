// The shield program as shipped, plus a screenshot for the smoke test: with
// VAZERU_SCREENSHOT=FILE, once the main window shows the processes the screen
// is saved to FILE and the shield exits. Built for the tests only.
#include <cstdlib>
#include <string>

#include "app/ShieldProgram.h"
#include "support/qt/ScreenshotOnceShown.h"

int main(int argc, char** argv) {
  vz::app::ProgramAdditions additions;
  const char* file = std::getenv("VAZERU_SCREENSHOT");
  if (file && *file) {
    std::string target = file;
    additions.onWindowsAttached = [target](vz::app::Shield& shield, vz::ui::qt::QtFrontEnd& frontEnd) {
      vz::testsupport::ScreenshotOnceShown(shield, frontEnd, target);
    };
  }
  return vz::app::RunShieldProgram(argc, argv, additions);
}
