// The startup entries end to end: a shield on a packed spyware list, real
// autostart folders as the two Run keys, the main cycle's watch, the full
// scan and the single check, the startup alert and its removal, and the
// shield's own entry.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/FileSystem.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/testing/MemoryRegistry.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::startup {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;
using ui::DialogAnswer;

struct Shown {
  protection::AlertFields fields;
  bool killEnabled, deleteEnabled, removeVisible;
};

class StartupShield : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAppFolderOverride(app.path());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", "Y\tBash\tbash\tThe shell\r\n");
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt",
                             "X\tCoin Miner\txmrig\t(\"http://example.com/xmrig\")Mines coins (for others)\r\n"
                             "X\tKey Logger\tklog\tReads keys\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    std::filesystem::create_directories(UserFolder());
    std::filesystem::create_directories(MachineFolder());
    std::filesystem::create_directories(programs.file("My Tools"));
    WriteFile(Program(), "miner");
    WriteFile(programs.file("My Tools/xmrig"), "miner");
    registry = testsupport::OpenTestRegistry(registryDir);
    MakeShield(*registry);
  }
  void TearDown() override { platform::SetAppFolderOverride(""); }

  void MakeShield(platform::RegistryStore& store) {
    shield = std::make_unique<app::Shield>(ports, app::ShieldServices{fake, store, platform::LinuxPathConventions()},
                                           app::CommandLine{}, [] {});
    shield->CreateWindows();
    front.alert.onShow = [this](protection::AlertModel& alert) {
      shown.push_back({alert.Fields(), alert.KillEnabled(), alert.DeleteEnabled(), alert.RemoveStartupVisible()});
      if (reaction) reaction(alert);
    };
  }

  std::string UserFolder() const { return registryDir.file("autostart-user"); }
  std::string MachineFolder() const { return registryDir.file("autostart-machine"); }
  std::string Program() const { return programs.file("xmrig"); }
  static void Entry(const std::string& folder, const std::string& name, const std::string& exec) {
    WriteFile(folder + "/" + name + ".desktop", "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
  }
  // Runs the main cycle up to and including its next startup watch step.
  void TickToNextWatch() {
    do shield->Cycle().Tick();
    while (shield->Cycle().TickCount() % 5 != 0);
  }
  const std::vector<ui::StartupRow>& Rows() const { return front.mainWindow.startupRows; }
  int ExamineCount() const {
    int n = 0;
    for (const auto& e : shield->Log().Entries()) n += e.find("Examine Startups") != std::string::npos;
    return n;
  }

  TempDir app, registryDir, programs;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  platform::testing::FakeProcesses fake;
  std::unique_ptr<platform::RegistryStore> registry;
  std::unique_ptr<app::Shield> shield;
  std::vector<Shown> shown;
  std::function<void(protection::AlertModel&)> reaction;
};

TEST_F(StartupShield, FirstWatchScansEveryEntryAndOnlyAChangedSetOfNamesRescans) {
  Entry(MachineFolder(), "clock", "/usr/bin/true --clock");
  Entry(UserFolder(), "miner", Program() + " --donate-level 1");
  // The list is filled when the window is created, before any tick.
  shield.reset();
  MakeShield(*registry);
  ASSERT_EQ(Rows().size(), 2u);
  EXPECT_EQ(Rows()[0].valueName, "clock");
  EXPECT_EQ(Rows()[0].hiveTag, "[HKLM]");
  EXPECT_EQ(Rows()[1].command, Program() + " --donate-level 1");
  EXPECT_EQ(Rows()[1].hiveTag, "[HKCU]");

  TickToNextWatch();
  ASSERT_EQ(shown.size(), 1u);
  const Shown& alert = shown[0];
  EXPECT_EQ(alert.fields.title, "Possible Spyware Entry Found in STARTUPS");
  EXPECT_EQ(alert.fields.nameLine, "Coin Miner    (xmrig)");
  EXPECT_EQ(alert.fields.location, Program());
  EXPECT_EQ(alert.fields.identifier, "1");
  EXPECT_EQ(alert.fields.link, "http://example.com/xmrig");
  EXPECT_EQ(alert.fields.description, "Mines coins (for others)");
  EXPECT_FALSE(alert.killEnabled);
  EXPECT_FALSE(alert.deleteEnabled);
  EXPECT_TRUE(alert.removeVisible);
  EXPECT_EQ(front.mainWindow.statusPanels[2], "Scan Startup item  " + Program());
  EXPECT_EQ(front.mainWindow.statusPanels[3].rfind("Scan Startup : " + Program() + " At ", 0), 0u);
  EXPECT_TRUE(shield->Cycle().MainTimer().IsRunning());

  // Only the command changed: the names are the same, no scan.
  Entry(UserFolder(), "miner", Program() + " --other");
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(Rows()[1].command, Program() + " --other");

  // Added, renamed, removed: each is a new set of names, and everything is scanned again.
  Entry(UserFolder(), "zzz", "/usr/bin/true");
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 2u);
  std::filesystem::rename(UserFolder() + "/miner.desktop", UserFolder() + "/renamed.desktop");
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 3u);
  std::filesystem::remove(UserFolder() + "/zzz.desktop");
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 4u);

  // "Live Scan Startups" off: changes wait until it is on again.
  shield->MainWindow().Switches().OptionClicked(ui::LiveOption::LiveScanStartups, false);
  Entry(MachineFolder(), "another", "/usr/bin/true");
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 4u);
  shield->MainWindow().Switches().OptionClicked(ui::LiveOption::LiveScanStartups, true);
  TickToNextWatch();
  EXPECT_EQ(shown.size(), 5u);
}

TEST_F(StartupShield, MoreThanFortyEntriesAreAllListedAndScanned) {
  for (int i = 0; i < 45; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "entry%02d", i);
    Entry(UserFolder(), name, i == 44 ? Program() : "/usr/bin/true");
  }
  TickToNextWatch();
  EXPECT_EQ(Rows().size(), 45u);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].fields.identifier, "44");
  EXPECT_EQ(shield->Startup().Cell(0, 44), "entry44");
}

TEST_F(StartupShield, BareNamesNeverMatchQuotedCommandsWithArgumentsDo) {
  Entry(UserFolder(), "bare", "xmrig --donate-level 1");
  const std::string quoted = programs.file("My Tools/xmrig");
  Entry(UserFolder(), "quoted", '"' + quoted + "\" --flag %U");
  TickToNextWatch();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].fields.location, programs.file("My Tools/xmrig"));
  EXPECT_EQ(shown[0].fields.identifier, "1");

  // "Check this item" prepares the command as the full scan does.
  shield->Startup().SelectRow(1);
  shield->StartupScan().CheckThisItem();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].fields.location, programs.file("My Tools/xmrig"));
  shield->Startup().SelectRow(0);
  shield->StartupScan().CheckThisItem();
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(StartupShield, RemoveStartupOfTheAlertDeletesOnlyTheEntryOfItsHiveAfterOk) {
  // The same name in both hives: the row's tag decides which one goes.
  Entry(MachineFolder(), "miner", Program());
  Entry(UserFolder(), "miner", Program() + " -q");
  // Machine row: Cancel first (nothing changes, the button stays), then OK.
  // User row: Cancel.
  front.dialogs.answers = {DialogAnswer::Cancel, DialogAnswer::Ok, DialogAnswer::Cancel};
  std::vector<bool> visibleAfter;
  reaction = [&](protection::AlertModel& alert) {
    alert.RemoveStartup();
    visibleAfter.push_back(alert.RemoveStartupVisible());
    if (alert.Fields().identifier == "0") {
      EXPECT_TRUE(platform::FileExists(MachineFolder() + "/miner.desktop"));
      alert.RemoveStartup();
      visibleAfter.push_back(alert.RemoveStartupVisible());
    }
    alert.Close();
  };
  TickToNextWatch();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(visibleAfter, (std::vector<bool>{true, false, true}));
  ASSERT_EQ(front.dialogs.shown.size(), 3u);
  EXPECT_EQ(front.dialogs.shown[0].caption, "Remove Startup");
  EXPECT_EQ(front.dialogs.shown[0].text, "Remove this startup program : miner");
  EXPECT_FALSE(platform::FileExists(MachineFolder() + "/miner.desktop"));
  EXPECT_TRUE(platform::FileExists(UserFolder() + "/miner.desktop"));
  EXPECT_TRUE(platform::FileExists(Program()));
  // The full scan ends with a refresh: the list shows what is left.
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0].hiveTag, "[HKCU]");
}

TEST_F(StartupShield, PageCommandsCheckAllRemoveAndRefresh) {
  Entry(UserFolder(), "miner", Program());
  Entry(UserFolder(), "notes", "/usr/bin/true");
  shield->Cycle().Tick();  // the lists are loaded
  shield->Startup().RefreshStartupList();
  // No row selected yet: "Remove" has nothing to ask about.
  ASSERT_EQ(shield->Startup().SelectedRow(), -1);
  shield->Startup().RemoveStartupEntry();
  EXPECT_TRUE(front.dialogs.shown.empty());

  // "Check startup programs": the closing box comes after the alert closed.
  shield->StartupScan().CheckStartupPrograms();
  ASSERT_EQ(shown.size(), 1u);
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].caption, "Scan");
  EXPECT_EQ(front.dialogs.shown[0].text, "Scan of Startup Programs Finished");

  // "Remove" with Cancel: nothing changes and the list is not even refreshed.
  shield->Startup().SelectRow(0);
  const int examined = ExamineCount();
  front.dialogs.answers = {DialogAnswer::Cancel};
  shield->Startup().RemoveStartupEntry();
  EXPECT_TRUE(platform::FileExists(UserFolder() + "/miner.desktop"));
  EXPECT_EQ(ExamineCount(), examined);
  // OK: the entry goes, the program stays, the list is read again.
  front.dialogs.answers = {DialogAnswer::Ok};
  shield->Startup().RemoveStartupEntry();
  EXPECT_EQ(front.dialogs.shown.back().text, "Remove this startup program : miner");
  EXPECT_FALSE(platform::FileExists(UserFolder() + "/miner.desktop"));
  EXPECT_TRUE(platform::FileExists(Program()));
  EXPECT_EQ(ExamineCount(), examined + 1);
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0].valueName, "notes");
}

TEST_F(StartupShield, OwnEntryIsWrittenOnceAndRemovedAndTheListShowsTheRealState) {
  shield->MainWindow().Autostart().StartOnSystemStartup();
  shield->MainWindow().Autostart().StartOnSystemStartup();
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0].valueName, "Orvane shield");
  EXPECT_EQ(Rows()[0].hiveTag, "[HKLM]");
  EXPECT_EQ(Rows()[0].command, platform::StartupCommandFor(platform::OwnExecutablePath()));
  shield->MainWindow().Autostart().RemoveFromSystemStartup();
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(platform::FileExists(MachineFolder() + "/Orvane shield.desktop"));

  // A machine key this user may not write: nothing is written and the list
  // still shows the machine's entries as they are.
  platform::testing::MemoryRegistry memory;
  platform::RegistryKey run;
  ASSERT_TRUE(memory.OpenKey(platform::RegistryRoot::LocalMachine, kRunKey, platform::RegAccess::ReadWrite,
                             platform::RegDisposition::OpenExisting, run));
  ASSERT_TRUE(run.WriteString("vendor", "/usr/bin/vendor-tool"));
  memory.SetReadOnly(platform::RegistryRoot::LocalMachine, true);
  shield.reset();
  MakeShield(memory);
  const int writes = memory.WriteCount();
  shield->MainWindow().Autostart().StartOnSystemStartup();
  EXPECT_EQ(memory.WriteCount(), writes);
  ASSERT_EQ(Rows().size(), 1u);
  EXPECT_EQ(Rows()[0].valueName, "vendor");
  shield.reset();  // before the registry it uses
}

}  // namespace
}  // namespace vz::startup
