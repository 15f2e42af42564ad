// The browser and HOSTS-location guard on real hive files: the questions it
// asks and in what order, what OK and Cancel do, how missing and oversized
// values read, and how "Live IE proctection" holds the browser pages back.
#include <gtest/gtest.h>

#include "QueueDispatcher.h"
#include "guard/BrowserGuard.h"
#include "guard/BrowserProtection.h"
#include "platform/RegistryTestSupport.h"
#include "platform/testing/FakeClock.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::guard {
namespace {

using platform::RegistryRoot;
using ui::DialogAnswer;

constexpr const char* kHostsHeading =
    "TCPIP. Location of HOSTS file changed in Registry. HOSTS file is used with DNS lookup.";
constexpr const char* kStartHeading = "Start Page of Internet explorer changed.";

class BrowserGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Set(RegistryRoot::LocalMachine, kTcpipParametersKey, "DataBasePath", "/etc");
    Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://home.example/");
    guard.SetMainTimer(&timer);
    timer.Start();
    guard.ReadBaselines();
  }

  void Set(RegistryRoot root, const char* key, const char* name, const std::string& data) {
    platform::RegistryKey k;
    ASSERT_TRUE(store->OpenKey(root, key, platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing, k));
    ASSERT_TRUE(k.WriteString(name, data));
  }
  std::string StartPage() {
    return ReadRegString(*store, RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "(missing)");
  }

  platform::regtest::TempRegistry registry;
  std::unique_ptr<platform::RegistryStore> store = registry.Open();
  ui::scripted::ScriptedDialogs dialogs;
  ui::scripted::RecordingMainWindow view;
  platform::testing::FakeClock clock;
  log::ShieldLog log{clock};
  ui::scripted::ManualTimer timer{1000, [] {}};
  BrowserGuard guard{*store, dialogs, view, log};
};

TEST_F(BrowserGuardTest, TwoChangesGiveTwoQuestionsHostsFirstAndTheAnswersAreKept) {
  EXPECT_EQ(guard.Baseline(0), "/etc");
  EXPECT_EQ(guard.Baseline(1), "http://home.example/");
  EXPECT_EQ(guard.Baseline(2), "");  // missing values count as their defaults
  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://spy.example/");
  Set(RegistryRoot::LocalMachine, kTcpipParametersKey, "DataBasePath", "/tmp/evil");
  dialogs.answers = {DialogAnswer::Ok, DialogAnswer::Cancel};
  guard.OnRegistryChanged();

  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].caption, "Internet Explorer Change");
  EXPECT_EQ(dialogs.shown[0].buttons, ui::DialogButtons::OkCancel);
  EXPECT_EQ(dialogs.shown[0].text, std::string(kHostsHeading) +
                                       "\r\n From : /etc\r\n To  :  /tmp/evil\r\nDo you want to change it to /tmp/evil ?");
  EXPECT_EQ(dialogs.shown[1].text, std::string(kStartHeading) +
                                       "\r\n From : http://home.example/\r\n To  :  http://spy.example/\r\n"
                                       "Do you want to change it to http://spy.example/ ?");
  // Newest first.
  ASSERT_GE(log.Entries().size(), 2u);
  EXPECT_NE(log.Entries()[0].find("  IExplorer: Startpage change detected"), std::string::npos);
  EXPECT_NE(log.Entries()[1].find("  TCPIP Configuration: Location of HOSTS file changed"), std::string::npos);

  // OK kept the new HOSTS location; Cancel wrote the old start page back.
  EXPECT_EQ(guard.Baseline(0), "/tmp/evil");
  EXPECT_EQ(ReadRegString(*store, RegistryRoot::LocalMachine, kTcpipParametersKey, "DataBasePath", ""), "/tmp/evil");
  EXPECT_EQ(StartPage(), "http://home.example/");
  // The window was shown for the questions and hidden after; the cycle paused and runs again.
  EXPECT_FALSE(view.showing);
  EXPECT_GE(view.bringToFrontCount, 2);
  EXPECT_EQ(timer.stops, 2);
  EXPECT_TRUE(timer.IsRunning());

  // The report that the write-back brings finds nothing to ask.
  guard.OnRegistryChanged();
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(BrowserGuardTest, OkMovesTheBaselineSoAChangeBackIsAskedAbout) {
  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Bar", "http://bar.example/");
  dialogs.answers = {DialogAnswer::Ok};
  guard.OnRegistryChanged();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text.rfind("Search Bar of Internet explorer changed.\r\n From : \r\n", 0), 0u);
  EXPECT_EQ(guard.Baseline(3), "http://bar.example/");

  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Bar", "");
  dialogs.answers = {DialogAnswer::Cancel};
  guard.OnRegistryChanged();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_NE(dialogs.shown[1].text.find(" From : http://bar.example/\r\n To  :  \r\n"), std::string::npos);
  EXPECT_EQ(ReadRegString(*store, RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Bar", "?"),
            "http://bar.example/");
}

// A timer stopped by someone else (an open alert, the loading) stays stopped.
TEST_F(BrowserGuardTest, DeletedOrOversizedStartPageReadsAsAboutBlank) {
  timer.Stop();
  platform::RegistryKey main;
  ASSERT_TRUE(store->OpenKey(RegistryRoot::CurrentUser, kBrowserPagesKey, platform::RegAccess::ReadWrite,
                             platform::RegDisposition::OpenExisting, main));
  ASSERT_TRUE(main.DeleteValue("Start Page"));
  guard.OnRegistryChanged();  // Cancel: the safe answer of the script
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(" To  :  about:blank\r\nDo you want to change it to about:blank ?"),
            std::string::npos);
  EXPECT_EQ(StartPage(), "http://home.example/");
  EXPECT_FALSE(timer.IsRunning());

  // 1023 characters and the NUL fill the read buffer; one more does not fit.
  const std::string fits(1023, 'a'), tooLong(1024, 'b');
  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", fits);
  EXPECT_EQ(StartPage(), fits);
  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", tooLong);
  EXPECT_EQ(StartPage(), "(missing)");
  dialogs.answers = {DialogAnswer::Ok};
  guard.OnRegistryChanged();
  EXPECT_EQ(guard.Baseline(1), "about:blank");

  // A value of another type and a missing key read as the default too; a
  // write-back never creates the key.
  ASSERT_TRUE(main.WriteValue("Search Page", platform::RegValue::Dword(7)));
  EXPECT_EQ(ReadRegString(*store, RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Page", "dflt"), "dflt");
  EXPECT_EQ(ReadRegString(*store, RegistryRoot::CurrentUser, "Software\\Nowhere", "Start Page", "dflt"), "dflt");
  WriteRegString(*store, RegistryRoot::CurrentUser, "Software\\Nowhere", "Start Page", "x");
  EXPECT_FALSE(store->KeyExists(RegistryRoot::CurrentUser, "Software\\Nowhere"));
}

// A report that arrives while a question is open (the question's own event
// loop runs it) is checked after the question: the start page is asked about
// once, and the search page that changed meanwhile right after.
TEST_F(BrowserGuardTest, AReportDuringAQuestionIsCheckedAfterIt) {
  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://spy.example/");
  bool nested = false;
  dialogs.whileOpen = [&](const ui::DialogRequest&) {
    if (nested) return;
    nested = true;
    Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Page", "http://search.spy/");
    guard.OnRegistryChanged();
    EXPECT_EQ(dialogs.shown.size(), 1u) << "no second question inside the first";
  };
  dialogs.answers = {DialogAnswer::Ok, DialogAnswer::Ok};
  guard.OnRegistryChanged();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text.rfind(kStartHeading, 0), 0u);
  EXPECT_EQ(dialogs.shown[1].text.rfind("Search Page of Internet explorer changed.", 0), 0u);
  guard.OnRegistryChanged();
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

// With the monitors: while "Live IE proctection" is off, a start page change
// is not reported; a change under the HOSTS key checks everything and finds
// it, and switching the option on reports what changed meanwhile.
TEST_F(BrowserGuardTest, LiveProtectionOffHoldsBrowserPagesUntilTheHostsKeyOrTheOption) {
  constexpr int kReportMs = 5000, kQuietMs = 300;
  guardtest::QueueDispatcher ui;
  BrowserProtection protection(*store, dialogs, view, log, &ui);
  // Whatever happens, no report is waited for when the monitors end.
  struct ShutDownFirst {
    guardtest::QueueDispatcher& ui;
    ~ShutDownFirst() { ui.Shutdown(); }
  } shutDownFirst{ui};
  protection.Start();
  protection.SetBrowserPagesWatched(false);
  dialogs.answers = {DialogAnswer::Ok, DialogAnswer::Ok};

  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://one.spy/");
  EXPECT_FALSE(ui.RunOne(kQuietMs));
  Set(RegistryRoot::LocalMachine, kTcpipParametersKey, "Domain", "example.net");
  ASSERT_TRUE(ui.RunOne(kReportMs));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find(" To  :  http://one.spy/\r\n"), std::string::npos);

  Set(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://two.spy/");
  EXPECT_FALSE(ui.RunOne(kQuietMs));
  protection.SetBrowserPagesWatched(true);
  ASSERT_TRUE(ui.RunOne(kReportMs));
  ui.RunUntilQuiet(kQuietMs);
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_NE(dialogs.shown[1].text.find(" From : http://one.spy/\r\n To  :  http://two.spy/\r\n"), std::string::npos);
}

// A desktop without the browser's keys gets them, empty, so the monitors have
// something to watch from the start.
TEST(BrowserProtection, CreatesTheWatchedKeysAndEndsItsMonitors) {
  platform::regtest::TempRegistry registry;
  auto store = registry.Open();
  ui::scripted::ScriptedDialogs dialogs;
  ui::scripted::RecordingMainWindow view;
  log::ShieldLog log;
  guardtest::QueueDispatcher ui;
  {
    BrowserProtection protection(*store, dialogs, view, log, &ui);
    protection.Start();
    EXPECT_TRUE(store->KeyExists(RegistryRoot::CurrentUser, kBrowserPagesKey));
    EXPECT_TRUE(store->KeyExists(RegistryRoot::LocalMachine, kTcpipParametersKey));
    ASSERT_NE(protection.BrowserPagesMonitor(), nullptr);
    EXPECT_EQ(protection.BrowserPagesMonitor()->Name(), "regmon1");
    EXPECT_EQ(protection.TcpipMonitor()->Name(), "regmon2");
    EXPECT_FALSE(protection.BrowserPagesMonitor()->Ended());
    EXPECT_FALSE(protection.TcpipMonitor()->Ended());
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace vz::guard
