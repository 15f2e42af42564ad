#include "guard/RegistryMonitor.h"

namespace vz::guard {

RegistryMonitor::RegistryMonitor(std::string name, platform::RegistryStore& store, ui::UiDispatcher& dispatcher)
    : name_(std::move(name)), store_(store), dispatcher_(dispatcher) {}

RegistryMonitor::~RegistryMonitor() { Stop(); }

void RegistryMonitor::SetKey(platform::RegistryRoot root, std::string keyPath) {
  root_ = root;
  keyPath_ = std::move(keyPath);
}

void RegistryMonitor::Resume() {
  std::unique_lock lock(mutex_);
  if (stopping_) return;
  suspended_ = false;
  if (started_) {
    if (notification_) notification_->Resume();
    return;
  }
  started_ = true;
  lock.unlock();
  // The key is opened and the notification armed before Resume returns, so
  // every change after it is reported.
  auto notification = OpenAndArm();
  if (!notification) {
    // Nothing is shown: the monitor just ends.
    MarkEnded("Unable to open registry key " + keyPath_);
    return;
  }
  reportCall_ = [this] {
    if (report_) report_(root_, keyPath_);
  };
  thread_ = std::thread([this, n = std::move(notification)]() mutable { Execute(std::move(n)); });
}

void RegistryMonitor::Suspend() {
  std::lock_guard lock(mutex_);
  suspended_ = true;
  if (notification_) notification_->Suspend();
}

void RegistryMonitor::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    if (notification_) notification_->Cancel();
  }
  if (thread_.joinable()) thread_.join();
}

bool RegistryMonitor::Ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

std::string RegistryMonitor::Error() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void RegistryMonitor::MarkEnded(std::string error) {
  std::lock_guard lock(mutex_);
  notification_ = nullptr;
  ended_ = !stopping_;
  error_ = std::move(error);
}

std::unique_ptr<platform::RegistryNotification> RegistryMonitor::OpenAndArm() {
  platform::RegistryKey key;
  std::unique_ptr<platform::RegistryNotification> notification;
  platform::RegStatus status =
      store_.OpenKey(root_, keyPath_, platform::RegAccess::Read, platform::RegDisposition::OpenExisting, key);
  if (status) notification = store_.NotifyChanges(key, filter_, status);
  if (!notification) return nullptr;
  notification->Arm();
  std::lock_guard lock(mutex_);
  notification_ = notification.get();
  if (suspended_) notification->Suspend();
  if (stopping_) notification->Cancel();
  return notification;
}

void RegistryMonitor::Execute(std::unique_ptr<platform::RegistryNotification> notification) {
  for (;;) {
    platform::NotifyWait result = notification->Wait(-1);
    if (result == platform::NotifyWait::Cancelled) break;
    if (result != platform::NotifyWait::Signalled) continue;
    // Armed again before the report, so that a change made while the report
    // is handled (a question open, an old value written back) is reported
    // next instead of going unnoticed.
    notification->Arm();
    if (!dispatcher_.RunAndWait(reportCall_)) break;  // the UI is shutting down
  }
  MarkEnded("");
  // The notification goes only now, after no other thread can reach it.
}

}  // namespace vz::guard
