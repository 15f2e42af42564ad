// The registry change monitors against the real hive store and inotify: one
// report per change under the key or a subkey, none for other keys, changes
// held while suspended, changes written by another process, a key that cannot
// be opened, and a clean end while a report waits.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "QueueDispatcher.h"
#include "guard/GuardedSettings.h"
#include "guard/RegistryMonitor.h"
#include "platform/RegistryTestSupport.h"
#include "tools/ToolRun.h"

namespace vz::guard {
namespace {

using platform::RegistryRoot;

constexpr int kReportMs = 5000;  // a report that must come
constexpr int kQuietMs = 300;    // how long "no report" is waited for

struct Report {
  RegistryRoot root;
  std::string key;
};

class RegistryMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store->CreateKey(RegistryRoot::CurrentUser, kBrowserPagesKey));
    ASSERT_TRUE(store->CreateKey(RegistryRoot::LocalMachine, kTcpipParametersKey));
  }

  // A monitor that no report waits for by the end of the test: the test's
  // "UI thread" stops taking reports before the monitors are stopped.
  void TearDown() override {
    ui.Shutdown();
    monitors_.clear();
  }

  RegistryMonitor* Monitor(const char* name, RegistryRoot root, const std::string& key) {
    monitors_.push_back(std::make_unique<RegistryMonitor>(name, *store, ui));
    RegistryMonitor* monitor = monitors_.back().get();
    monitor->SetKey(root, key);
    monitor->SetTarget([this](RegistryRoot r, const std::string& k) { reports.push_back({r, k}); });
    return monitor;
  }

  // Writes through a store of its own, as another part of the program would.
  void Write(RegistryRoot root, const std::string& key, const std::string& name, const std::string& data) {
    auto writer = registry.Open();
    platform::RegistryKey k;
    ASSERT_TRUE(writer->OpenKey(root, key, platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing, k));
    ASSERT_TRUE(k.WriteString(name, data));
  }

  // Runs the reports a change brings: the first within kReportMs, then any
  // further ones until none came for kQuietMs.
  int ReportsOf(const std::function<void()>& change) {
    change();
    if (!ui.RunOne(kReportMs)) return 0;
    return 1 + ui.RunUntilQuiet(kQuietMs);
  }

  platform::regtest::TempRegistry registry;
  std::unique_ptr<platform::RegistryStore> store = registry.Open();
  guardtest::QueueDispatcher ui;
  std::vector<Report> reports;
  std::vector<std::unique_ptr<RegistryMonitor>> monitors_;
};

TEST_F(RegistryMonitorTest, OneReportPerChangeUnderItsOwnKeyOnly) {
  auto regmon1 = Monitor("regmon1", RegistryRoot::CurrentUser, kBrowserPagesKey);
  auto regmon2 = Monitor("regmon2", RegistryRoot::LocalMachine, kTcpipParametersKey);
  regmon1->Resume();
  regmon2->Resume();

  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://a/"); }), 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].root, RegistryRoot::CurrentUser);
  EXPECT_EQ(reports[0].key, kBrowserPagesKey);
  // The same data again is a change too (the handler finds no difference).
  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://a/"); }), 1);
  // A new subkey (its parent made with it in one write), then a value in it.
  const std::string deeper = std::string(kBrowserPagesKey) + "\\Deeper\\Still";
  EXPECT_EQ(ReportsOf([&] { ASSERT_TRUE(registry.Open()->CreateKey(RegistryRoot::CurrentUser, deeper)); }), 1);
  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::CurrentUser, deeper, "x", "1"); }), 1);
  // The machine key wakes only its own monitor.
  reports.clear();
  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::LocalMachine, kTcpipParametersKey, "DataBasePath", "/tmp"); }), 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].root, RegistryRoot::LocalMachine);
  EXPECT_EQ(reports[0].key, kTcpipParametersKey);
  // Other keys of the same hives wake neither.
  Write(RegistryRoot::CurrentUser, "Software\\microsoft\\internet explorer", "Sibling", "1");
  Write(RegistryRoot::CurrentUser, "Software\\Other", "x", "1");
  Write(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Other", "x", "1");
  EXPECT_FALSE(ui.RunOne(kQuietMs));
}

TEST_F(RegistryMonitorTest, ChangesWhileSuspendedAreReportedOnceAfterResume) {
  auto regmon1 = Monitor("regmon1", RegistryRoot::CurrentUser, kBrowserPagesKey);
  regmon1->Resume();
  regmon1->Suspend();
  Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://one/");
  Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Search Page", "http://two/");
  EXPECT_FALSE(ui.RunOne(kQuietMs));
  EXPECT_EQ(ReportsOf([&] { regmon1->Resume(); }), 1);
  // And it watches again as before.
  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://three/"); }), 1);
}

TEST_F(RegistryMonitorTest, ChangeWrittenByAnotherProcessIsReported) {
  auto regmon1 = Monitor("regmon1", RegistryRoot::CurrentUser, kBrowserPagesKey);
  regmon1->Resume();
  toolstest::ToolResult tool;
  EXPECT_EQ(ReportsOf([&] {
              tool = toolstest::RunTool(
                  "vazeru-reg", {"set", "HKCU\\Software\\Microsoft\\Internet Explorer\\Main", "Start Page", "http://x/"});
            }),
            1);
  EXPECT_EQ(tool.status, 0) << tool.err;
}

// While a report is being handled the monitor waits for it; what changes
// meanwhile is reported right after, not lost.
TEST_F(RegistryMonitorTest, ChangeMadeWhileAReportIsHandledIsReportedNext) {
  auto regmon1 = Monitor("regmon1", RegistryRoot::CurrentUser, kBrowserPagesKey);
  bool queuedMeanwhile = true;
  regmon1->SetTarget([&](RegistryRoot, const std::string&) {
    reports.push_back({});
    if (reports.size() != 1) return;
    Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://back/");
    queuedMeanwhile = ui.WaitQueued(kQuietMs);
  });
  regmon1->Resume();
  EXPECT_EQ(ReportsOf([&] { Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://spy/"); }), 2);
  EXPECT_FALSE(queuedMeanwhile);
}

TEST_F(RegistryMonitorTest, KeyThatCannotBeOpenedEndsTheMonitorQuietly) {
  auto missing = Monitor("regmon1", RegistryRoot::CurrentUser, "Software\\Nowhere\\Main");
  missing->Resume();
  EXPECT_TRUE(testsupport::WaitUntil([&] { return missing->Ended(); }, kReportMs));
  EXPECT_EQ(missing->Error(), "Unable to open registry key Software\\Nowhere\\Main");
  // Suspending and resuming the ended monitor does no harm, and a key that
  // appears later does not bring it back.
  missing->Suspend();
  missing->Resume();
  Write(RegistryRoot::CurrentUser, "Software\\Nowhere\\Main", "Start Page", "x");
  EXPECT_FALSE(ui.RunOne(kQuietMs));
  missing->Stop();
  EXPECT_TRUE(reports.empty());
}

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// At exit: a monitor waiting for a change and one whose report the UI never
// handles both end at once and leave no descriptor behind.
TEST_F(RegistryMonitorTest, StopEndsPromptlyAndCleanlyAlsoWithAReportPending) {
  const size_t before = OpenDescriptors();
  auto regmon1 = Monitor("regmon1", RegistryRoot::CurrentUser, kBrowserPagesKey);
  auto regmon2 = Monitor("regmon2", RegistryRoot::LocalMachine, kTcpipParametersKey);
  regmon1->Resume();
  regmon2->Resume();
  regmon2->Suspend();
  Write(RegistryRoot::CurrentUser, kBrowserPagesKey, "Start Page", "http://pending/");
  ASSERT_TRUE(ui.WaitQueued(kReportMs));

  const auto start = std::chrono::steady_clock::now();
  ui.Shutdown();
  regmon1->Stop();
  regmon2->Stop();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(took.count(), 2000);
  EXPECT_TRUE(reports.empty());
  monitors_.clear();
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace vz::guard
