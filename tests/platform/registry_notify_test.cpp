// Change notification on the hive-file registry (real inotify) and on the
// in-memory registry. Waits that must end get generous limits; waits that must
// not end are short, since they can only pass wrongly, never fail wrongly.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "RegistryTestSupport.h"
#include "platform/testing/MemoryRegistry.h"

namespace vz::platform {
namespace {

using regtest::HiveWriter;
using regtest::OpenOrFail;
using regtest::TempRegistry;

constexpr int kMustSignalMs = 10000;
constexpr int kMustNotSignalMs = 300;
constexpr const char* kBrowserKey = "Software\\microsoft\\internet explorer\\Main";
constexpr const char* kHostsKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

std::unique_ptr<RegistryNotification> Watch(RegistryStore& store, RegistryRoot root, const char* path,
                                            std::uint32_t filter = 0) {
  RegistryKey key = OpenOrFail(store, root, path, RegAccess::Read);
  RegStatus status;
  auto notification = store.NotifyChanges(key, filter, status);
  EXPECT_TRUE(status) << status.Text();
  if (notification) notification->Arm();
  return notification;
}

// The behaviour every registry must show, run against both implementations.
void ReportsEachWriteUnderTheKeyOnly(RegistryStore& store) {
  OpenOrFail(store, RegistryRoot::CurrentUser, kBrowserKey).WriteString("Start Page", "about:blank");
  OpenOrFail(store, RegistryRoot::LocalMachine, kHostsKey).WriteString("DataBasePath", "/etc");
  auto watch = Watch(store, RegistryRoot::CurrentUser, kBrowserKey);
  ASSERT_TRUE(watch);
  RegistryKey browser = OpenOrFail(store, RegistryRoot::CurrentUser, kBrowserKey);

  ASSERT_TRUE(browser.WriteString("Start Page", "http://evil.example/"));
  EXPECT_EQ(watch->Wait(kMustSignalMs), NotifyWait::Signalled);
  EXPECT_EQ(watch->Wait(0), NotifyWait::Signalled);  // stays set until armed again
  watch->Arm();
  EXPECT_EQ(watch->Wait(kMustNotSignalMs), NotifyWait::TimedOut);  // one write, one report

  ASSERT_TRUE(browser.WriteString("Start Page", "http://evil.example/"));  // the same data again
  EXPECT_EQ(watch->Wait(kMustSignalMs), NotifyWait::Signalled);
  watch->Arm();

  RegistryKey sub = OpenOrFail(store, RegistryRoot::CurrentUser, std::string(kBrowserKey) + "\\Deeper\\Still");
  EXPECT_EQ(watch->Wait(kMustSignalMs), NotifyWait::Signalled);  // a new subkey
  watch->Arm();
  ASSERT_TRUE(sub.WriteString("x", "1"));
  EXPECT_EQ(watch->Wait(kMustSignalMs), NotifyWait::Signalled);  // a value in a subkey
  watch->Arm();

  // Elsewhere: the other monitor's key, a sibling with the same prefix, the other root.
  OpenOrFail(store, RegistryRoot::LocalMachine, kHostsKey).WriteString("DataBasePath", "/tmp/hosts");
  OpenOrFail(store, RegistryRoot::CurrentUser, std::string(kBrowserKey) + "Extra").WriteString("x", "1");
  OpenOrFail(store, RegistryRoot::LocalMachine, kBrowserKey).WriteString("Start Page", "x");
  EXPECT_EQ(watch->Wait(kMustNotSignalMs), NotifyWait::TimedOut);

  ASSERT_TRUE(browser.DeleteValue("Start Page"));
  EXPECT_EQ(watch->Wait(kMustSignalMs), NotifyWait::Signalled);
}

void KeepsChangesMadeWhileSuspendedAndCancels(RegistryStore& store) {
  auto watch = Watch(store, RegistryRoot::CurrentUser, kBrowserKey);
  ASSERT_TRUE(watch);
  RegistryKey browser = OpenOrFail(store, RegistryRoot::CurrentUser, kBrowserKey);
  watch->Suspend();
  auto waiter = std::async(std::launch::async, [&] { return watch->Wait(-1); });
  ASSERT_TRUE(browser.WriteString("Search Page", "http://evil.example/search"));
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(kMustNotSignalMs)), std::future_status::timeout);
  watch->Resume();
  ASSERT_EQ(waiter.wait_for(std::chrono::milliseconds(kMustSignalMs)), std::future_status::ready);
  EXPECT_EQ(waiter.get(), NotifyWait::Signalled);

  // A waiter blocked without limit ends when cancelled, and so does every later wait.
  watch->Arm();
  auto blocked = std::async(std::launch::async, [&] { return watch->Wait(-1); });
  EXPECT_EQ(blocked.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  watch->Cancel();
  ASSERT_EQ(blocked.wait_for(std::chrono::milliseconds(kMustSignalMs)), std::future_status::ready);
  EXPECT_EQ(blocked.get(), NotifyWait::Cancelled);
  EXPECT_EQ(watch->Wait(-1), NotifyWait::Cancelled);
}

void FilterSelectsTheKindsOfChange(RegistryStore& store) {
  OpenOrFail(store, RegistryRoot::LocalMachine, kHostsKey);
  auto names = Watch(store, RegistryRoot::LocalMachine, kHostsKey, kNotifyChangeName);
  auto values = Watch(store, RegistryRoot::LocalMachine, kHostsKey, kNotifyChangeLastSet);
  ASSERT_TRUE(names && values);
  ASSERT_TRUE(OpenOrFail(store, RegistryRoot::LocalMachine, kHostsKey).WriteString("DataBasePath", "/x"));
  EXPECT_EQ(values->Wait(kMustSignalMs), NotifyWait::Signalled);
  EXPECT_EQ(names->Wait(kMustNotSignalMs), NotifyWait::TimedOut);
  values->Arm();
  ASSERT_TRUE(store.CreateKey(RegistryRoot::LocalMachine, std::string(kHostsKey) + "\\Interfaces"));
  EXPECT_EQ(names->Wait(kMustSignalMs), NotifyWait::Signalled);
  EXPECT_EQ(values->Wait(kMustNotSignalMs), NotifyWait::TimedOut);
}

TEST(RegistryNotification, HiveFilesReportEachWriteUnderTheKeyOnly) {
  TempRegistry reg;
  auto store = reg.Open();
  ReportsEachWriteUnderTheKeyOnly(*store);
}

TEST(RegistryNotification, HiveFilesKeepChangesMadeWhileSuspendedAndCancel) {
  TempRegistry reg;
  auto store = reg.Open();
  KeepsChangesMadeWhileSuspendedAndCancels(*store);
}

TEST(RegistryNotification, HiveFilesFilterTheKindsOfChange) {
  TempRegistry reg;
  auto store = reg.Open();
  FilterSelectsTheKindsOfChange(*store);
}

TEST(RegistryNotification, MemoryRegistryBehavesTheSame) {
  testing::MemoryRegistry store;
  ReportsEachWriteUnderTheKeyOnly(store);
  KeepsChangesMadeWhileSuspendedAndCancels(store);
  FilterSelectsTheKindsOfChange(store);
  EXPECT_GT(store.WriteCount(), 10);
}

TEST(RegistryNotification, WriteByAnotherProcessIsReported) {
  TempRegistry reg;
  auto store = reg.Open();
  OpenOrFail(*store, RegistryRoot::LocalMachine, "Software\\Ornavex\\1.0").WriteString("Runupdate", "1");
  auto watch = Watch(*store, RegistryRoot::LocalMachine, "\\Software\\Ornavex");
  ASSERT_TRUE(watch);
  // Another store in this process writes elsewhere in the hive first: not reported.
  OpenOrFail(*reg.Open(), RegistryRoot::LocalMachine, "Software\\Elsewhere").WriteString("x", "1");
  EXPECT_EQ(watch->Wait(kMustNotSignalMs), NotifyWait::TimedOut);

  HiveWriter writer({reg.dir.path(), "set", "Software\\Ornavex\\1.0", "Runupdate", "0"});
  ASSERT_TRUE(writer.started());
  EXPECT_EQ(watch->Wait(kMustSignalMs * 3), NotifyWait::Signalled);
  EXPECT_EQ(writer.Wait(kMustSignalMs), 0);
  std::string text;
  EXPECT_TRUE(OpenOrFail(*store, RegistryRoot::LocalMachine, "Software\\Ornavex\\1.0", RegAccess::Read)
                  .ReadString("Runupdate", text));
  EXPECT_EQ(text, "0");
}

TEST(RegistryNotification, MissingKeyCannotBeWatched) {
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey closed;
  RegStatus status;
  EXPECT_EQ(store->NotifyChanges(closed, 0, status), nullptr);
  EXPECT_EQ(status.code, kRegInvalidHandle);
}

TEST(MemoryRegistry, ReadOnlyRootDeniesWriteAccessLikeMachineHiveForAUser) {
  testing::MemoryRegistry store;
  RegistryKey userRun = OpenOrFail(store, RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                   RegAccess::ReadWrite, RegDisposition::OpenExisting);
  ASSERT_TRUE(userRun.IsOpen());  // exists from the start, like the real Run keys
  userRun.WriteString("zeta", "/z");
  userRun.WriteString("Alpha", "/a");
  std::vector<std::string> names;
  ASSERT_TRUE(userRun.ValueNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "zeta"}));
  store.SetReadOnly(RegistryRoot::LocalMachine, true);
  RegistryKey key;
  EXPECT_EQ(store
                .OpenKey(RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN", RegAccess::ReadWrite,
                         RegDisposition::OpenExisting, key)
                .code,
            kRegAccessDenied);
  EXPECT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN", RegAccess::Read,
                            RegDisposition::OpenExisting, key));
  EXPECT_EQ(store.CreateKey(RegistryRoot::LocalMachine, "Software\\Ornavex\\1.0").code, kRegAccessDenied);
  EXPECT_TRUE(store.CreateKey(RegistryRoot::CurrentUser, "Software\\Ornavex\\1.0"));
}

}  // namespace
}  // namespace vz::platform
