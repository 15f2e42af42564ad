#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/testing/MemoryRegistry.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::app {
namespace {

TEST(Restart, StartsTheProgramWithRestartAndTheSameOptionsThenEndsThisOne) {
  testsupport::TempDir dir;
  platform::SetAppFolderOverride(dir.path());
  // Stands in for the shield: writes down how it was started.
  std::string program = dir.file("fake-shield");
  testsupport::WriteFile(program, "#!/bin/sh\necho \"$@\" > " + dir.file("started.txt") + "\n");
  ::chmod(program.c_str(), 0755);

  platform::testing::FakeProcesses processes;
  platform::testing::MemoryRegistry registry;
  ui::scripted::ScriptedFrontEnd front;
  int terminations = 0;
  CommandLine cmd = ParseCommandLine({"--console", "--app-folder", dir.path(), "--quiet"});
  Shield shield(front.ports(), ShieldServices{processes, registry, platform::LinuxPathConventions()}, cmd, [&] { ++terminations; });
  shield.CreateWindows();
  shield.SetRestartProgram(program);
  shield.Restart();

  EXPECT_EQ(front.mainWindow.caption, " Restarting");
  EXPECT_EQ(terminations, 1);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !testsupport::ReadFile(dir.file("started.txt")).empty(); }, 5000));
  EXPECT_EQ(testsupport::ReadFile(dir.file("started.txt")), "Restart --console --app-folder " + dir.path() + " --quiet\n");
  platform::SetAppFolderOverride("");
}

}  // namespace
}  // namespace vz::app
