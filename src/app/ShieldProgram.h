#pragma once
// The shield program: picks the front end (the windows when a display is
// there, the terminal otherwise or with --console) and runs the main block.
// qvshield is this and nothing more; a test build of the program may add to
// its windows once they are bound to the shield.
#include <functional>

namespace vz::ui::qt {
class QtFrontEnd;
}

namespace vz::app {

class Shield;

struct ProgramAdditions {
  // Runs once when the windows have been bound to the shield (never in the terminal).
  std::function<void(Shield&, ui::qt::QtFrontEnd&)> onWindowsAttached;
};

// Runs the program with its command line; returns its exit code.
int RunShieldProgram(int argc, char** argv, const ProgramAdditions& additions = {});

}  // namespace vz::app
