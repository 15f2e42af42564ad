#pragma once
// A registry change monitor (TRegMonitorThread): a thread that waits until
// anything under one key or its subkeys changes and then reports it on the
// user-interface thread, waiting there until the report has been handled.
//
// Created suspended; the first Resume() opens the key, arms the notification
// and starts the thread. Suspend() holds
// the reports back: a change made meanwhile is reported once resumed. A key
// that cannot be opened ends the thread quietly; suspending or resuming the
// ended monitor does nothing. Stop() (also the destructor) cancels the wait
// and joins the thread; it returns promptly unless the thread is inside a
// report that the UI thread is still handling, so the UI's dispatcher must
// have stopped running functions before the UI thread stops a monitor.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Registry.h"
#include "ui/UiDispatcher.h"

namespace vz::guard {

class RegistryMonitor {
 public:
  // The change report (message 0xBB5): the monitor's root and key path.
  using Report = std::function<void(platform::RegistryRoot root, const std::string& keyPath)>;

  RegistryMonitor(std::string name, platform::RegistryStore& store, ui::UiDispatcher& dispatcher);
  ~RegistryMonitor();
  RegistryMonitor(const RegistryMonitor&) = delete;
  RegistryMonitor& operator=(const RegistryMonitor&) = delete;

  // Set-up before the first Resume(). A filter of 0 means all four kinds.
  void SetKey(platform::RegistryRoot root, std::string keyPath);
  void SetFilter(std::uint32_t filter) { filter_ = filter; }
  void SetTarget(Report report) { report_ = std::move(report); }

  void Resume();
  void Suspend();
  void Stop();

  const std::string& Name() const { return name_; }
  // Whether the monitor has ended by itself (the key could not be opened, or
  // the UI no longer takes reports).
  bool Ended() const;
  // Why it ended: "Unable to open registry key " and the key path; "" otherwise.
  std::string Error() const;

 private:
  void Execute(std::unique_ptr<platform::RegistryNotification> notification);
  std::unique_ptr<platform::RegistryNotification> OpenAndArm();
  void MarkEnded(std::string error);

  const std::string name_;
  platform::RegistryStore& store_;
  ui::UiDispatcher& dispatcher_;
  platform::RegistryRoot root_ = platform::RegistryRoot::CurrentUser;
  std::string keyPath_;
  std::uint32_t filter_ = 0;
  Report report_;
  // What the UI thread runs for one report. A member, not a local: a
  // dispatcher that gives up waiting at shutdown may still be running it.
  std::function<void()> reportCall_;

  mutable std::mutex mutex_;
  std::thread thread_;
  platform::RegistryNotification* notification_ = nullptr;  // while the thread holds one
  bool started_ = false;
  bool suspended_ = true;
  bool stopping_ = false;
  bool ended_ = false;
  std::string error_;
};

}  // namespace vz::guard
