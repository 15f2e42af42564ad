// The main window's behaviour against the recording view: options and their
// tray mirrors, hiding and showing, the show handler, the info panel, the own
// Run value in a real autostart folder, and the programs it starts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/HintPlacement.h"
#include "app/MainWindowModel.h"
#include "app/ReachableMainWindow.h"
#include "platform/AppFolder.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/testing/MemoryRegistry.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::app {
namespace {

using testsupport::TempDir;
using ui::LiveOption;

class MainWindowModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAppFolderOverride(app.path());
    platform::RegistryLocations locations;
    locations.machineHive = registryDir.file("machine.reg");
    locations.userHive = registryDir.file("user.reg");
    locations.machineAutostart = registryDir.file("autostart-machine");
    locations.userAutostart = registryDir.file("autostart-user");
    registry = platform::OpenRegistryStore(locations);
    model = std::make_unique<MainWindowModel>(ports, options, log, processes, knowledge, *registry,
                                              [this] { ++exits; });
    model->Launch().SetHiddenLauncher([this](const std::vector<std::string>& argv, std::string& error) {
      launched.push_back(argv);
      return platform::LaunchHidden(argv, &error);
    });
    model->OnCreate();
  }
  void TearDown() override { platform::SetAppFolderOverride(""); }

  ui::scripted::RecordingMainWindow& view() { return front.mainWindow; }
  std::string RunFile() const { return registryDir.file("autostart-machine/Orvane shield.desktop"); }

  TempDir app, registryDir;
  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  LiveOptions options;
  log::ShieldLog log{clock};
  inventory::ProcessList processes{fake, *ports.mainWindow, clock};
  knowledge::KnowledgeBase knowledge;
  std::unique_ptr<platform::RegistryStore> registry;
  std::unique_ptr<MainWindowModel> model;
  int exits = 0;
  std::vector<std::vector<std::string>> launched;
};

TEST_F(MainWindowModelTest, CreationAddsTheTrayIconWithCheckedEntriesAndShowsTheProcessPage) {
  EXPECT_TRUE(view().trayIconVisible);
  EXPECT_EQ(view().page, ui::Page::Process);
  EXPECT_TRUE(view().trayOptions[LiveOption::LiveScanProcesses]);
  EXPECT_TRUE(view().trayOptions[LiveOption::LiveScanStartups]);
  EXPECT_FALSE(view().trayOptions.at(LiveOption::BlockKnownSpyware));
  EXPECT_TRUE(view().panels[ui::WatchPanel::SystemWatch]);
  EXPECT_TRUE(view().panels[ui::WatchPanel::ProcessStatistics]);

  // The menu in its order: "Show Vazeru" waits for the start-up phase, separators are dead.
  std::vector<std::string> captions;
  for (const auto& e : TrayMenuEntries()) captions.push_back(e.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Show Vazeru", "Live Scan Process Enabled",
                                                "Live scan Startups Enabled", "Block known spyware",
                                                "View Vazeru Log",
                                                "_______________________", "Launce Admin Console",
                                                "_______________________", "Exit Vazeru"}));
  for (const auto& e : TrayMenuEntries()) {
    EXPECT_EQ(e.enabledAtStart, e.command != TrayCommand::ShowVazeru && e.command != TrayCommand::Separator)
        << e.caption;
    EXPECT_EQ(e.checkable, e.command == TrayCommand::LiveScanProcesses || e.command == TrayCommand::LiveScanStartups ||
                               e.command == TrayCommand::BlockKnownSpyware);
    // Blocking is off unless the command line asks for it.
    if (e.checkable) {
      EXPECT_EQ(e.checkedAtStart, e.command != TrayCommand::BlockKnownSpyware);
    }
  }
  EXPECT_TRUE(TrayEventOpensMenu(0x201));
  EXPECT_TRUE(TrayEventOpensMenu(0x204));
  EXPECT_FALSE(TrayEventOpensMenu(0x202));  // release
  EXPECT_FALSE(TrayEventOpensMenu(0x203));  // double click

  model->Navigate(ui::Page::StartupPrograms);
  EXPECT_EQ(view().page, ui::Page::StartupPrograms);
}

// The mirrored pair and the cycle are tested through the windows (tests/qt).
TEST_F(MainWindowModelTest, BrowserProtectionAndPanelOptions) {
  std::vector<bool> monitor;
  model->Switches().SetBrowserKeyMonitor([&](bool resume) { monitor.push_back(resume); });
  model->Switches().OptionClicked(LiveOption::LiveBrowserProtection, false);
  model->Switches().OptionClicked(LiveOption::LiveBrowserProtection, true);
  EXPECT_EQ(monitor, (std::vector<bool>{false, true}));

  model->Switches().OptionClicked(LiveOption::ShowCpuWatch, false);
  model->Switches().OptionClicked(LiveOption::ShowProcessStatistics, false);
  EXPECT_FALSE(view().panels[ui::WatchPanel::SystemWatch]);
  EXPECT_FALSE(view().panels[ui::WatchPanel::ProcessStatistics]);
  EXPECT_FALSE(options.showProcessStatistics);
  model->Switches().OptionClicked(LiveOption::ShowCpuWatch, true);
  EXPECT_TRUE(view().panels[ui::WatchPanel::SystemWatch]);
  // The panel options have no tray entry: the tray marks are untouched.
  EXPECT_TRUE(view().trayOptions[LiveOption::LiveScanProcesses]);
  EXPECT_EQ(view().trayOptions.count(LiveOption::ShowCpuWatch), 0u);
}

TEST_F(MainWindowModelTest, CloseAndMinimiseHideTheWindowOtherCommandsPass) {
  model->Visibility().ShowVazeru();
  ASSERT_TRUE(view().showing);
  EXPECT_EQ(view().state, ui::WindowState::Normal);
  EXPECT_FALSE(model->Visibility().OnCloseRequest());
  EXPECT_FALSE(view().showing);
  EXPECT_EQ(view().state, ui::WindowState::Minimized);

  model->Visibility().ShowVazeru();
  EXPECT_TRUE(model->Visibility().OnSystemCommand(kSysCommandMinimize));
  EXPECT_FALSE(view().showing);
  model->Visibility().ShowVazeru();
  EXPECT_TRUE(model->Visibility().OnSystemCommand(kSysCommandClose));
  EXPECT_FALSE(view().showing);
  model->Visibility().ShowVazeru();
  EXPECT_FALSE(model->Visibility().OnSystemCommand(0xF030));  // maximise: default handling
  EXPECT_TRUE(view().showing);
  EXPECT_EQ(view().state, ui::WindowState::Normal);
}

TEST_F(MainWindowModelTest, ShowVazeruBringsAnOpenAlertForwardAndExitRemovesTheIcon) {
  front.alert.showing = true;
  model->RunTrayCommand(TrayCommand::ShowVazeru);
  EXPECT_EQ(front.alert.bringToFrontCount, 1);
  EXPECT_GE(view().bringToFrontCount, 1);
  front.alert.showing = false;
  model->Visibility().ShowVazeru();
  EXPECT_EQ(front.alert.bringToFrontCount, 1);

  model->RunTrayCommand(TrayCommand::Separator);
  EXPECT_EQ(exits, 0);
  model->RunTrayCommand(TrayCommand::ExitVazeru);
  EXPECT_FALSE(view().trayIconVisible);
  EXPECT_EQ(exits, 1);
}

TEST_F(MainWindowModelTest, ShowHandlerFillsTheProcessCountAndTheDataFileTexts) {
  fake.Start(1, "init", "/sbin/init");
  fake.Start(7, "bash", "/bin/bash");
  processes.SetForceRefresh(true);
  processes.RefreshProcessList();
  testsupport::WriteFile(app.file("Proc2.pck"), "packed");
  ASSERT_TRUE(platform::SetFileDate(app.file("Proc2.pck"), platform::PackDosDateTime(2024, 3, 9, 14, 5, 30)));
  knowledge.SpywareList().LoadFromText("header\r\nA\tOne\r\nB\tTwo\r\n");
  knowledge.AllKnownList().LoadFromText("header\r\nA\tbash\r\n");

  model->Visibility().OnShown();
  EXPECT_EQ(view().statusPanels[0], "Processes: 2");
  EXPECT_EQ(view().programInfo.spywareDataDate, "2024-03-09 14:05:30");
  EXPECT_EQ(view().programInfo.programsDataDate, "file not found");
  EXPECT_EQ(view().programInfo.knownSpyware, "Known Spyware: 2");
  EXPECT_EQ(view().programInfo.knownPrograms, "Known programs: 1");
  EXPECT_NE(view().programInfo.program.find("Orvane Vazeru "), std::string::npos);
  EXPECT_TRUE(model->Info().HintTimer().IsRunning());
  EXPECT_EQ(model->Info().HintTimer().IntervalMs(), 250);
}

TEST(HintPlacement, PanelStaysInsideTheWindow) {
  ui::HintProbe p;
  p.windowLeft = 100;
  p.windowTop = 50;
  p.windowWidth = 814;
  p.clientHeight = 480;
  p.panelWidth = 200;
  p.panelHeight = 40;
  // Room below and to the right: just below-right of the cursor.
  p.cursorX = 300;
  p.cursorY = 200;
  EXPECT_EQ(PlaceHintPanel(p), (PanelPosition{216, 118}));
  // Near the bottom: 20 + Y + H - T - 32 reaches the client height, so above.
  p.cursorY = 502;  // 20 + 502 + 40 - 50 - 32 = 480: not less, goes above
  EXPECT_EQ(PlaceHintPanel(p).top, 502 - 50 - 40 - 60);
  p.cursorY = 501;  // 479: still below
  EXPECT_EQ(PlaceHintPanel(p).top, 501 - 50 - 32);
  // Near the right edge: X + W - L + 16 reaches the width, so to the left.
  p.cursorX = 698;  // 698 + 200 - 100 + 16 = 814
  EXPECT_EQ(PlaceHintPanel(p).left, 698 - 200 - 100);
  p.cursorX = 697;
  EXPECT_EQ(PlaceHintPanel(p).left, 697 + 16 - 100);

  EXPECT_EQ(PlaceLiveScanInfo(10, 20, 140), (PanelPosition{166, 52}));
}

TEST_F(MainWindowModelTest, InfoPanelFollowsHintsAndTheLiveScanBox) {
  model->Info().LiveScanEntered(10, 20, 140);
  EXPECT_TRUE(view().infoPanelVisible);
  EXPECT_EQ(view().infoPanelText, kLiveScanInfoText);
  EXPECT_EQ(view().infoPanelLeft, 166);
  EXPECT_EQ(view().infoPanelTop, 52);
  model->Info().LiveScanLeft();
  EXPECT_FALSE(view().infoPanelVisible);

  model->Visibility().ShowVazeru();
  model->Visibility().OnShown();
  ui::HintProbe& p = view().probe;
  p = ui::HintProbe{true, "ShowCPU", "Shows the CPU load", 300, 200, 100, 50, 814, 480, 200, 40};
  model->Info().HintTimerTick();
  EXPECT_TRUE(view().infoPanelVisible);
  EXPECT_EQ(view().infoPanelText, "Shows the CPU load");
  EXPECT_EQ(view().infoPanelLeft, 216);
  EXPECT_EQ(view().infoPanelTop, 118);
  // A control without a name, or with a blank hint, or nothing at all: hidden.
  for (ui::HintProbe none : {ui::HintProbe{true, "", "text"}, ui::HintProbe{true, "Label9", "   "}, ui::HintProbe{}}) {
    view().infoPanelVisible = true;
    p = none;
    model->Info().HintTimerTick();
    EXPECT_FALSE(view().infoPanelVisible);
  }
  // A hidden window: the timer stops until the next showing.
  p = ui::HintProbe{true, "ShowCPU", "Shows the CPU load", 300, 200, 100, 50, 814, 480, 200, 40};
  model->Visibility().HideMainWindow();
  model->Info().HintTimerTick();
  EXPECT_FALSE(view().infoPanelVisible);
  EXPECT_FALSE(model->Info().HintTimer().IsRunning());
}

TEST_F(MainWindowModelTest, StartWithTheSystemWritesAndRemovesTheOwnAutostartEntry) {
  int refreshes = 0;
  model->Autostart().SetAfterChange([&] { ++refreshes; });
  model->Autostart().StartOnSystemStartup();
  ASSERT_TRUE(platform::FileExists(RunFile()));
  std::string text = testsupport::ReadFile(RunFile());
  EXPECT_NE(text.find("Exec="), std::string::npos);
  EXPECT_NE(text.find(platform::OwnExecutablePath()), std::string::npos) << text;
  platform::RegistryKey key;
  ASSERT_TRUE(registry->OpenKey(platform::RegistryRoot::LocalMachine, kRunKey, platform::RegAccess::Read,
                                platform::RegDisposition::OpenExisting, key));
  std::string data;
  ASSERT_TRUE(key.ReadString("Orvane shield", data));
  EXPECT_EQ(data, platform::OwnExecutablePath());

  model->Autostart().RemoveFromSystemStartup();
  EXPECT_FALSE(platform::FileExists(RunFile()));
  EXPECT_FALSE(key.HasValue("Orvane shield"));
  EXPECT_EQ(refreshes, 2);
  // Removing again, with nothing there, is harmless.
  model->Autostart().RemoveFromSystemStartup();
  EXPECT_EQ(refreshes, 3);
}

TEST_F(MainWindowModelTest, RunKeyThatCannotBeOpenedForWritingIsLeftAlone) {
  platform::testing::MemoryRegistry memory;
  MainWindowModel other(ports, options, log, processes, knowledge, memory, [] {});
  // The Run keys always exist (they are the autostart folders); the machine's
  // hive is read-only here, as for a user without administrator rights.
  ASSERT_TRUE(memory.KeyExists(platform::RegistryRoot::LocalMachine, kRunKey));
  memory.SetReadOnly(platform::RegistryRoot::LocalMachine, true);
  int writes = memory.WriteCount();
  other.Autostart().StartOnSystemStartup();
  other.Autostart().RemoveFromSystemStartup();
  EXPECT_EQ(memory.WriteCount(), writes);
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(MainWindowModelTest, AdminConsoleStartsHiddenAndAMissingOneIsReported) {
  model->RunTrayCommand(TrayCommand::LaunchAdminConsole);  // no qvadmin in the folder
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], std::vector<std::string>{app.file("qvadmin")});
  std::string said = "Could not start the admin console: " + app.file("qvadmin") + ": No such file or directory";
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_NE(log.Entries()[0].find(said), std::string::npos) << log.Entries()[0];
  EXPECT_EQ(view().statusPanels[3], said);

  testsupport::WriteFile(app.file("qvadmin"), "#!/bin/sh\necho started > \"$0.ran\"\n");
  ASSERT_EQ(::chmod(app.file("qvadmin").c_str(), 0755), 0);
  model->Launch().LaunchAdminConsole();
  EXPECT_TRUE(testsupport::WaitUntil([&] { return platform::FileExists(app.file("qvadmin.ran")); }, 5000));
  EXPECT_EQ(log.Entries().size(), 1u);
}

TEST_F(MainWindowModelTest, LogViewersOpenTheirLogOnlyWhenItIsThere) {
  model->RunTrayCommand(TrayCommand::ViewLog);
  model->Launch().ViewDownloadLog();
  EXPECT_TRUE(front.browser.filesOpened.empty());
  testsupport::WriteFile(app.file("Vazeru.log"), "10:00:00  Examine Startups\r\n");
  model->RunTrayCommand(TrayCommand::ViewLog);
  model->Launch().ViewShieldLog();
  model->Launch().ViewDownloadLog();  // still no DW.log
  EXPECT_EQ(front.browser.filesOpened, (std::vector<std::string>{app.file("Vazeru.log"), app.file("Vazeru.log")}));
  // A folder of that name is no log to show.
  ASSERT_EQ(::mkdir(app.file("DW.log").c_str(), 0755), 0);
  model->Launch().ViewDownloadLog();
  EXPECT_EQ(front.browser.filesOpened.size(), 2u);
  ASSERT_EQ(::rmdir(app.file("DW.log").c_str()), 0);
  testsupport::WriteFile(app.file("DW.log"), "2026-03-04 10:00:00 : Connected\r\n");
  model->Launch().ViewDownloadLog();
  ASSERT_EQ(front.browser.filesOpened.size(), 3u);
  EXPECT_EQ(front.browser.filesOpened[2], app.file("DW.log"));
  EXPECT_TRUE(OptionsButtonAvailable(OptionsButton::ViewDownloadLog));

  model->Launch().OpenWebLink(WebLink::Forum);
  model->Launch().OpenWebLink(WebLink::AuthorSite);
  ASSERT_EQ(front.browser.opened.size(), 2u);
  EXPECT_EQ(front.browser.opened[0], WebLinkAddress(WebLink::Forum));
  EXPECT_NE(front.browser.opened[0], front.browser.opened[1]);
  EXPECT_TRUE(OptionsButtonAvailable(OptionsButton::RunUpdateNow));
  EXPECT_TRUE(OptionsButtonAvailable(OptionsButton::ViewDownloadLog));
  EXPECT_TRUE(OptionsButtonAvailable(OptionsButton::StartOnSystemStartup));
}

TEST_F(MainWindowModelTest, WithoutTrayTheWindowIsMinimisedInsteadOfHiddenOnceStarted) {
  ui::scripted::RecordingMainWindow inner;
  ReachableMainWindow reachable(inner);
  reachable.SetTrayAvailable(false);
  // During the start-up phase a hide is a hide.
  reachable.HideWindow();
  EXPECT_FALSE(inner.showing);
  // "Show Vazeru" becomes available: the window appears minimised.
  reachable.SetShowVazeruEnabled(true);
  EXPECT_TRUE(inner.showVazeruEnabled);
  EXPECT_TRUE(inner.showing);
  EXPECT_EQ(inner.state, ui::WindowState::Minimized);
  // The hidden-state rule (normal, then minimised) keeps it minimised, never restored.
  reachable.HideWindow();
  reachable.SetWindowState(ui::WindowState::Normal);
  EXPECT_EQ(inner.state, ui::WindowState::Minimized);
  reachable.SetWindowState(ui::WindowState::Minimized);
  EXPECT_TRUE(inner.showing);
  // Showing restores it.
  reachable.ShowWindow();
  EXPECT_EQ(inner.state, ui::WindowState::Normal);

  // The log says it once.
  model->Tray().ReportNoSystemTray();
  model->Tray().ReportNoSystemTray();
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_NE(log.Entries()[0].find(kNoTrayLogText), std::string::npos);

  // With a tray everything passes through.
  ui::scripted::RecordingMainWindow plain;
  ReachableMainWindow withTray(plain);
  withTray.SetShowVazeruEnabled(true);
  withTray.ShowWindow();
  withTray.HideWindow();
  EXPECT_FALSE(plain.showing);
}

}  // namespace
}  // namespace vz::app
