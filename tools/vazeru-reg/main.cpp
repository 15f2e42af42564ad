// vazeru-reg: reads and writes the registry store of Orvane Vazeru through
// the same locked, atomically replaced hive files as the shield, so a running
// shield sees every change at once.
#include <iostream>
#include <string>
#include <vector>

#include "KeyName.h"
#include "RegCommands.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kUsage =
    "usage: vazeru-reg query KEY [NAME]      print the value NAME, or every value of KEY\n"
    "       vazeru-reg set KEY NAME DATA     write the string value NAME (KEY is created)\n"
    "       vazeru-reg delete KEY [NAME]     delete the value NAME, or KEY with its subkeys\n"
    "       vazeru-reg export [KEY]          print KEY, or the whole store, as REGEDIT4 text\n"
    "KEY starts with HKLM\\ or HKCU\\ (or HKEY_LOCAL_MACHINE\\, HKEY_CURRENT_USER\\).\n"
    "Exit status: 0 on success, 1 on any error.\n";

int Usage(const std::string& problem) {
  std::cerr << "vazeru-reg: " << problem << "\n" << kUsage;
  return 1;
}

// The arguments each command takes: at least, at most (after the command).
bool Counts(const std::string& command, std::size_t given) {
  if (command == "query" || command == "delete") return given == 1 || given == 2;
  if (command == "set") return given == 3;
  if (command == "export") return given <= 1;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
  if (args.empty()) return Usage("no command");
  const std::string command = args[0];
  if (command != "query" && command != "set" && command != "delete" && command != "export")
    return Usage("unknown command '" + command + "'");
  if (!Counts(command, args.size() - 1)) return Usage("wrong number of arguments for " + command);

  std::optional<vz::reg::KeyName> key;
  if (args.size() > 1) {
    key = vz::reg::ParseKeyName(args[1]);
    if (!key) {
      std::cerr << "vazeru-reg: bad key '" << args[1] << "': a key starts with HKLM\\ or HKCU\\\n";
      return 1;
    }
  }
  // What the files hold, as they hold it: a read never writes the store.
  vz::platform::MakeLocationOverridesAbsolute();
  vz::platform::RegistryLocations locations = vz::platform::DefaultRegistryLocations();
  locations.seedMachineFolders = false;
  auto store = vz::platform::OpenRegistryStore(locations);

  vz::reg::Streams io{std::cout, std::cerr};
  const std::string* name = args.size() > 2 ? &args[2] : nullptr;
  int status = 1;
  if (command == "query") status = vz::reg::Query(*store, *key, name, io);
  if (command == "set") status = vz::reg::Set(*store, *key, args[2], args[3], io);
  if (command == "delete") status = vz::reg::Delete(*store, *key, name, io);
  if (command == "export") status = vz::reg::Export(*store, key ? &*key : nullptr, io);
  std::cout.flush();
  return status == 0 && !std::cout ? 1 : status;
}
