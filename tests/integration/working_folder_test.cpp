// Relative locations keep meaning what they meant at start: the start-up load
// unpacks archives from the program's folder without moving the working
// folder, so a registry given relative to it is still found afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/linux/ProcfsProcesses.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz {
namespace {

using testsupport::TempDir;

std::string WorkingFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

TEST(WorkingFolder, ARelativeRegistryIsStillFoundAfterTheArchivesWereUnpacked) {
  TempDir app, work;
  testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
  testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tSpy\tno-such-spy\tWatches\r\n");
  const std::string before = WorkingFolder();
  ASSERT_EQ(::chdir(work.path().c_str()), 0);
  platform::SetAppFolderOverride(app.path());
  std::vector<std::string> log;
  int scannedRows = 0;
  {
    platform::RegistryLocations locations;
    locations.machineHive = "reg/machine.reg";
    locations.userHive = "reg/user.reg";
    locations.machineAutostart = "autostart-machine";
    locations.userAutostart = "autostart-user";
    auto registry = platform::OpenRegistryStore(locations);
    auto processes = platform::CreateProcfsProcessPlatform();
    ui::scripted::ScriptedFrontEnd front;
    app::Shield shield(front.ports(), app::ShieldServices{*processes, *registry, platform::LinuxPathConventions()}, app::CommandLine{}, [] {});
    shield.CreateWindows();
    shield.Cycle().Tick();  // loads the lists
    shield.Cycle().Tick();  // refreshes the process list and scans every process
    scannedRows = shield.Processes().Table().RowCount();
    for (const auto& entry : shield.Log().Entries()) log.push_back(entry.substr(10));
  }
  platform::SetAppFolderOverride("");
  const std::string after = WorkingFolder();
  ASSERT_EQ(::chdir(before.c_str()), 0);

  EXPECT_EQ(after, platform::ExcludeTrailingSeparator(work.path()));
  EXPECT_TRUE(std::filesystem::exists(work.file("reg/machine.reg")));
  EXPECT_FALSE(std::filesystem::exists(app.file("reg")));
  ASSERT_GT(scannedRows, 0);
  ASSERT_FALSE(log.empty());
  for (const auto& line : log) EXPECT_EQ(line.find("Could Not Retrive SystemRoot"), std::string::npos) << line;
}

TEST(WorkingFolder, FolderOverridesOfTheEnvironmentAreMadeAbsoluteOnce) {
  TempDir work;
  const std::string before = WorkingFolder();
  ASSERT_EQ(::chdir(work.path().c_str()), 0);
  ::setenv("VAZERU_REGISTRY_DIR", "reg", 1);
  ::setenv("VAZERU_AUTOSTART_MACHINE_DIR", "./machine/../autostart", 1);
  platform::MakeLocationOverridesAbsolute();
  ASSERT_EQ(::chdir("/"), 0);  // where a restarted shield starts
  const platform::RegistryLocations locations = platform::DefaultRegistryLocations();
  ASSERT_EQ(::chdir(before.c_str()), 0);
  ::unsetenv("VAZERU_REGISTRY_DIR");
  ::unsetenv("VAZERU_AUTOSTART_MACHINE_DIR");
  EXPECT_EQ(locations.machineHive, work.file("reg/machine.reg"));
  EXPECT_EQ(locations.machineAutostart, work.file("autostart"));
}

}  // namespace
}  // namespace vz
