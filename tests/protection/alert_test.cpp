#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "inventory/ProcessList.h"
#include "platform/FileSystem.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/FakeProcesses.h"
#include "protection/AlertModel.h"
#include "protection/WebSearch.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::protection {
namespace {

using ui::DialogAnswer;

class FakeStartupList final : public StartupListAccess {
 public:
  std::vector<ui::StartupRow> rows{{"Updater", "/opt/up/updater --run", "[HKLM]"}, {"Helper", "/home/u/helper", "[HKCU]"}};
  int selected = -1;
  std::vector<std::pair<bool, std::string>> deleted;
  void SelectRow(int row) override { selected = row; }
  std::string Cell(int column, int row) const override {
    if (row < 0 || row >= static_cast<int>(rows.size())) return std::string();
    const auto& r = rows[static_cast<size_t>(row)];
    return column == 0 ? r.valueName : column == 1 ? r.command : r.hiveTag;
  }
  bool DeleteRunValue(bool currentUser, const std::string& valueName) override {
    deleted.emplace_back(currentUser, valueName);
    return true;
  }
};

class AlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.Start(20, "badtool", dir.file("badtool"));
    testsupport::WriteFile(dir.file("badtool"), "binary");
    list.SetForceRefresh(true);
    list.RefreshProcessList();
    front.events.onPump = [this] { clock.ticks += 500; };
    mainTimer = front.timers.CreateTimer(1000, [] {});
    alert.SetMainTimer(mainTimer.get());
    alert.SetStartupList(&startup);
    front.alert.onShow = [this](AlertModel& a) {
      timerRunningWhileShown = mainTimer->IsRunning();
      if (reaction) reaction(a);
    };
  }

  void ProcessAlert() {
    alert.alertFromStartup = false;
    alert.showRemoveStartup = false;
    alert.Fields() = AlertFields{kMemoryAlertTitle, "Bad Tool    (badtool)", dir.file("badtool"), "20", "desc", "",
                                 list.Table().IdentityAt(0)};
  }
  void StartupAlert() {
    alert.alertFromStartup = true;
    alert.showRemoveStartup = true;
    alert.Fields() = AlertFields{kStartupAlertTitle, "Bad Tool    (helper)", "/home/u/helper", "1", "desc", "", {}};
  }

  testsupport::TempDir dir;
  platform::testing::FakeClock clock;
  platform::testing::FakeProcesses fake;
  ui::scripted::ScriptedFrontEnd front;
  ui::Ports ports = front.ports();
  inventory::ProcessList list{fake, *ports.mainWindow, clock};
  ProcessTermination termination{fake, list, ports, clock};
  ExclusionList exclusions{platform::LinuxPathConventions()};
  AlertModel alert{ports, termination, exclusions, dir.file("EXCFDir.QVA"), platform::LinuxPathConventions()};
  FakeStartupList startup;
  std::unique_ptr<ui::Timer> mainTimer;
  bool timerRunningWhileShown = true;
  std::function<void(AlertModel&)> reaction;
};

TEST_F(AlertTest, ProcessAndStartupFormsOnShow) {
  mainTimer->Start();
  ProcessAlert();
  alert.ShowAlert();
  EXPECT_FALSE(timerRunningWhileShown);
  EXPECT_TRUE(mainTimer->IsRunning());
  EXPECT_TRUE(alert.KillEnabled());
  EXPECT_TRUE(alert.DeleteEnabled());
  EXPECT_FALSE(alert.RemoveStartupVisible());
  EXPECT_TRUE(front.mainWindow.showing);

  StartupAlert();
  alert.ShowAlert();
  EXPECT_FALSE(alert.KillEnabled());
  EXPECT_FALSE(alert.DeleteEnabled());
  EXPECT_TRUE(alert.RemoveStartupVisible());
  // The flag is cleared by the showing.
  EXPECT_FALSE(alert.showRemoveStartup);
  EXPECT_EQ(front.alert.modalShows, 2);
}

TEST_F(AlertTest, AnOpenAlertIsShownAgainNotStacked) {
  ProcessAlert();
  int nested = 0;
  reaction = [&](AlertModel& a) {
    if (nested++ == 0) a.ShowAlert();  // a second finding while the first is open
  };
  alert.ShowAlert();
  EXPECT_EQ(front.alert.modalShows, 1);
  EXPECT_EQ(front.alert.reShows, 1);
}

TEST_F(AlertTest, KillAndDeleteButtons) {
  ProcessAlert();
  reaction = [](AlertModel& a) { a.DeleteProgramFile(); };
  alert.ShowAlert();
  // Delete ends the process first, then removes the file.
  EXPECT_EQ(fake.terminations().size(), 1u);
  EXPECT_FALSE(alert.KillEnabled());
  EXPECT_FALSE(alert.DeleteEnabled());
  EXPECT_FALSE(platform::FileExists(dir.file("badtool")));
  EXPECT_TRUE(front.dialogs.WasShown("File Deleted file"));

  // A process that cannot be ended: the file is still deleted.
  fake.Start(30, "stubborn", dir.file("stubborn"));
  testsupport::WriteFile(dir.file("stubborn"), "binary");
  alert.Fields() = AlertFields{kMemoryAlertTitle, "x", dir.file("stubborn"), "31", "", "", {}};
  reaction = [](AlertModel& a) { a.DeleteProgramFile(); };
  alert.ShowAlert();
  EXPECT_TRUE(alert.KillEnabled());
  EXPECT_TRUE(front.dialogs.WasShown("Could not get access to this process."));
  EXPECT_FALSE(platform::FileExists(dir.file("stubborn")));
}

TEST_F(AlertTest, KillAndDeleteEndOnlyTheAlertedProcess) {
  ProcessAlert();
  // The alerted process is gone; a new one has its identifier.
  fake.ReusePid(20, "badtool", dir.file("badtool"));
  reaction = [](AlertModel& a) {
    a.KillProcess();
    a.DeleteProgramFile();
  };
  alert.ShowAlert();
  EXPECT_TRUE(fake.terminations().empty());
  EXPECT_TRUE(alert.KillEnabled());
  EXPECT_TRUE(front.dialogs.WasShown("Could not get access to this process."));
  // The file named by the alert is still removed.
  EXPECT_FALSE(platform::FileExists(dir.file("badtool")));
}

TEST_F(AlertTest, DeleteFailureKeepsTheButtonForAnotherTry) {
  // A file no one may delete, root included.
  const std::string undeletable = "/proc/self/status";
  ASSERT_TRUE(platform::FileExists(undeletable));
  ProcessAlert();
  alert.Fields().location = undeletable;
  reaction = [](AlertModel& a) { a.DeleteProgramFile(); };
  alert.ShowAlert();
  EXPECT_TRUE(front.dialogs.WasShown("File Could not be deleted"));
  EXPECT_TRUE(alert.DeleteEnabled());
  // A file that does not exist gives no message at all.
  size_t boxes = front.dialogs.shown.size();
  alert.alertFromStartup = true;  // no kill before the deletion
  alert.Fields().location = dir.file("never-there");
  alert.ShowAlert();
  EXPECT_EQ(front.dialogs.shown.size(), boxes);
}

TEST_F(AlertTest, ExcludeAppendsEvenTwiceAndCloses) {
  ProcessAlert();
  reaction = [](AlertModel& a) { a.AddToExcludeList(); };
  alert.ShowAlert();
  alert.ShowAlert();
  std::string expected = dir.file("badtool") + "\r\n" + dir.file("badtool") + "\r\n";
  EXPECT_EQ(testsupport::ReadFile(dir.file("EXCFDir.QVA")), expected);
  EXPECT_TRUE(exclusions.IsExcluded(dir.path(), "BADTOOL"));
  // The main window stays shown; "Close" hides it.
  EXPECT_TRUE(front.mainWindow.showing);
  reaction = [](AlertModel& a) { a.Close(); };
  alert.ShowAlert();
  EXPECT_FALSE(front.mainWindow.showing);
  // A blank location adds nothing.
  alert.Fields().location = "  ";
  reaction = [](AlertModel& a) { a.AddToExcludeList(); };
  alert.ShowAlert();
  EXPECT_EQ(testsupport::ReadFile(dir.file("EXCFDir.QVA")), expected);
}

TEST_F(AlertTest, AnExclusionThatCannotBeSavedIsSaidAndStillCounts) {
  // A folder holds the exclusion file's name: the new file cannot take it.
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("EXCFDir.QVA")));
  ProcessAlert();
  bool closed = false;
  reaction = [&](AlertModel& a) {
    a.AddToExcludeList();
    closed = !front.alert.showing;
  };
  alert.ShowAlert();
  EXPECT_TRUE(closed);
  ASSERT_EQ(front.dialogs.shown.size(), 1u);
  EXPECT_EQ(front.dialogs.shown[0].caption, "Orvane shield");
  EXPECT_EQ(front.dialogs.shown[0].text.rfind("The exclusion list could not be saved: " + dir.file("EXCFDir.QVA"), 0), 0u)
      << front.dialogs.shown[0].text;
  EXPECT_TRUE(exclusions.IsExcluded(dir.path(), "badtool"));
  // Nothing of the failed save is left beside the folder.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"EXCFDir.QVA", "badtool"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("EXCFDir.QVA")));
}

TEST_F(AlertTest, MoreInfoFolderAndLink) {
  ::setenv("VAZERU_SEARCH_ENDPOINT", "https://search.example/", 1);
  alert.Fields().location = "/opt/odd dir/my tool&co#1.exe";
  alert.Fields().link = "http://example.com/info";
  alert.MoreInfo();
  alert.OpenContainingFolder();
  alert.OpenLink();
  ASSERT_EQ(front.browser.opened.size(), 2u);
  EXPECT_EQ(front.browser.opened[0], "https://search.example/search?q=my%20tool%26co%231.exe");
  EXPECT_EQ(front.browser.opened[1], "http://example.com/info");
  EXPECT_EQ(front.browser.foldersOpened, std::vector<std::string>{"/opt/odd dir/"});
  // A location ending in a separator has no file name: nothing opens.
  alert.Fields().location = "/opt/tools/";
  alert.MoreInfo();
  EXPECT_EQ(front.browser.opened.size(), 2u);
  ::unsetenv("VAZERU_SEARCH_ENDPOINT");
  EXPECT_EQ(PercentEncode("AZaz09-._~/é"), "AZaz09-._~%2F%C3%A9");
}

TEST_F(AlertTest, RemoveStartupAsksAndDeletesFromTheRightHive) {
  StartupAlert();
  front.dialogs.answers = {DialogAnswer::Cancel};
  reaction = [](AlertModel& a) { a.RemoveStartup(); };
  alert.ShowAlert();
  EXPECT_TRUE(startup.deleted.empty());
  EXPECT_TRUE(alert.RemoveStartupVisible());
  EXPECT_EQ(startup.selected, 1);
  ASSERT_FALSE(front.dialogs.shown.empty());
  EXPECT_EQ(front.dialogs.shown.back().caption, "Remove Startup");
  EXPECT_EQ(front.dialogs.shown.back().text, "Remove this startup program : Helper");

  StartupAlert();
  front.dialogs.answers = {DialogAnswer::Ok};
  alert.ShowAlert();
  ASSERT_EQ(startup.deleted.size(), 1u);
  EXPECT_TRUE(startup.deleted[0].first);
  EXPECT_EQ(startup.deleted[0].second, "Helper");
  EXPECT_FALSE(alert.RemoveStartupVisible());

  StartupAlert();
  alert.Fields().identifier = "0";
  front.dialogs.answers = {DialogAnswer::Ok};
  alert.ShowAlert();
  ASSERT_EQ(startup.deleted.size(), 2u);
  EXPECT_FALSE(startup.deleted[1].first);
}

}  // namespace
}  // namespace vz::protection
