// qvadmin: the administration console of the update schedule. With a display
// and no command it opens the window "Orvane Admin"; the commands work the
// schedule record from the terminal.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "platform/Display.h"
#include "platform/Registry.h"
#ifdef VAZERU_WITH_QT
#include "AdminWindowMain.h"
#endif

namespace {

constexpr const char* kUsage =
    "usage: qvadmin                    open the window (needs a display)\n"
    "       qvadmin show               print the schedule record\n"
    "       qvadmin set NAME VALUE     write one value, checked against its form\n"
    "       qvadmin activate           turn the schedule on\n"
    "       qvadmin deactivate         turn the schedule off\n"
    "values: ScheDeac 0|1, Schtype Daily|Weekly|At Startup (0|1|2), Schday Mon..Sun (0..6),\n"
    "        ScheTime 0..23, UpdInet UpdLan CopyLan Runmissed 24hours true|false,\n"
    "        UpdLanS CopyLanS an absolute folder (\"\" for none), UpdateServer http(s)://HOST/PATH,\n"
    "        Runupdate 0|1\n";

int Usage(const std::string& problem) {
  std::cerr << "qvadmin: " << problem << "\n" << kUsage;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  vz::platform::MakeLocationOverridesAbsolute();
  // The console touches the schedule record only: the folder values the shield
  // seeds into the machine hive are the shield's business.
  vz::platform::RegistryLocations locations = vz::platform::DefaultRegistryLocations();
  locations.seedMachineFolders = false;
  auto registry = vz::platform::OpenRegistryStore(locations);
  if (args.empty()) {
#ifdef VAZERU_WITH_QT
    std::string whyNot;
    if (vz::platform::DisplayReachable(&whyNot)) return vz::admin::RunAdminWindow(argc, argv, *registry);
    return Usage("no command, and no display for the window" + (whyNot.empty() ? "" : " (" + whyNot + ")"));
#else
    return Usage("no command, and this build has no window");
#endif
  }
  const std::string& command = args[0];
  if (command == "show" && args.size() == 1) return vz::admin::ShowCommand(*registry, std::cout, std::cerr);
  if (command == "set" && args.size() == 3)
    return vz::admin::SetCommand(*registry, args[1], args[2], std::cout, std::cerr);
  if ((command == "activate" || command == "deactivate") && args.size() == 1)
    return vz::admin::ActivateCommand(*registry, command == "activate", std::cout, std::cerr);
  return Usage("bad command line");
}
