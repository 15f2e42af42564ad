#include "platform/testing/MemoryRegistry.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/RegistryHive.h"

namespace vz::platform::testing {

struct MemoryRegistry::State {
  std::mutex mutex;
  std::condition_variable changed;  // every write and every notification control wakes it
  Hive machine, user;
  bool machineReadOnly = false, userReadOnly = false;
  int writes = 0;

  Hive& HiveOf(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? user : machine; }
  void Wrote() {
    ++writes;
    changed.notify_all();
  }
};

namespace {

class MemoryNotification final : public RegistryNotification {
 public:
  using State = MemoryRegistry::State;
  MemoryNotification(std::shared_ptr<State> state, RegistryRoot root, std::string path, std::uint32_t filter)
      : state_(std::move(state)), root_(root), path_(std::move(path)), filter_(filter) {}

  void Arm() override {
    std::lock_guard lock(state_->mutex);
    baseline_ = state_->HiveOf(root_).Snapshot(path_);
    armed_ = true;
    signalled_ = false;
    state_->changed.notify_all();
  }

  NotifyWait Wait(int timeoutMs) override {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::unique_lock lock(state_->mutex);
    for (;;) {
      if (cancelled_) return NotifyWait::Cancelled;
      if (armed_ && !suspended_) {
        if (!signalled_ && SnapshotChanged(baseline_, state_->HiveOf(root_).Snapshot(path_), filter_))
          signalled_ = true;
        if (signalled_) return NotifyWait::Signalled;
      }
      if (timeoutMs < 0) {
        state_->changed.wait(lock);
      } else if (state_->changed.wait_until(lock, deadline) == std::cv_status::timeout) {
        return NotifyWait::TimedOut;
      }
    }
  }

  void Suspend() override { Set(suspended_, true); }
  void Resume() override { Set(suspended_, false); }
  void Cancel() override { Set(cancelled_, true); }

 private:
  void Set(bool& flag, bool value) {
    std::lock_guard lock(state_->mutex);
    flag = value;
    state_->changed.notify_all();
  }

  std::shared_ptr<State> state_;
  RegistryRoot root_;
  std::string path_;
  std::uint32_t filter_;
  HiveSnapshot baseline_;
  bool armed_ = false, signalled_ = false, suspended_ = false, cancelled_ = false;
};

}  // namespace

namespace {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}  // namespace

// Like a fresh system: both Run keys exist from the start.
MemoryRegistry::MemoryRegistry() : state_(std::make_shared<State>()) {
  state_->machine.CreateKey(kRunKey);
  state_->user.CreateKey(kRunKey);
}
MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::SetReadOnly(RegistryRoot root, bool readOnly) {
  std::lock_guard lock(state_->mutex);
  (root == RegistryRoot::CurrentUser ? state_->userReadOnly : state_->machineReadOnly) = readOnly;
}

int MemoryRegistry::WriteCount() const {
  std::lock_guard lock(state_->mutex);
  return state_->writes;
}

bool MemoryRegistry::DoKeyExists(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(state_->mutex);
  return state_->HiveOf(root).FindKey(path) != nullptr;
}

RegStatus MemoryRegistry::DoCreateKey(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(state_->mutex);
  Hive& hive = state_->HiveOf(root);
  if (!hive.FindKey(path)) {
    hive.SetLastWrite(hive.CreateKey(path), hive.Serial() + 1);
    state_->Wrote();
  }
  return {};
}

RegStatus MemoryRegistry::DoDeleteKey(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(state_->mutex);
  if (!state_->HiveOf(root).DeleteKey(path)) return kRegFileNotFound;
  state_->Wrote();
  return {};
}

bool MemoryRegistry::DoCanWrite(RegistryRoot root, const std::string&) {
  std::lock_guard lock(state_->mutex);
  return !(root == RegistryRoot::CurrentUser ? state_->userReadOnly : state_->machineReadOnly);
}

RegStatus MemoryRegistry::DoReadValue(RegistryRoot root, const std::string& path, std::string_view name,
                                      RegValue& value) {
  std::lock_guard lock(state_->mutex);
  const HiveKey* key = state_->HiveOf(root).FindKey(path);
  const HiveValue* found = key ? key->Find(name) : nullptr;
  if (!found) return kRegFileNotFound;
  value = found->value;
  return {};
}

RegStatus MemoryRegistry::DoWriteValue(RegistryRoot root, const std::string& path, std::string_view name,
                                       const RegValue& value) {
  std::lock_guard lock(state_->mutex);
  Hive& hive = state_->HiveOf(root);
  HiveKey* key = hive.FindKey(path);
  if (!key) return kRegFileNotFound;
  hive.SetValue(*key, name, value);
  state_->Wrote();
  return {};
}

RegStatus MemoryRegistry::DoDeleteValue(RegistryRoot root, const std::string& path, std::string_view name) {
  std::lock_guard lock(state_->mutex);
  Hive& hive = state_->HiveOf(root);
  HiveKey* key = hive.FindKey(path);
  if (!key || !hive.DeleteValue(*key, name)) return kRegFileNotFound;
  state_->Wrote();
  return {};
}

RegStatus MemoryRegistry::DoValueNames(RegistryRoot root, const std::string& path, std::vector<std::string>& names) {
  std::lock_guard lock(state_->mutex);
  const HiveKey* key = state_->HiveOf(root).FindKey(path);
  if (!key) return kRegFileNotFound;
  for (const auto& v : key->values) names.push_back(v.name);
  // The Run keys list their values sorted by name, as the autostart folders do.
  if (RegUpper(path) == kRunKeyUpper)
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      std::string ua = RegUpper(a), ub = RegUpper(b);
      return ua != ub ? ua < ub : a < b;
    });
  return {};
}

RegStatus MemoryRegistry::DoSubKeyNames(RegistryRoot root, const std::string& path,
                                        std::vector<std::string>& names) {
  std::lock_guard lock(state_->mutex);
  if (!state_->HiveOf(root).FindKey(path)) return kRegFileNotFound;
  names = state_->HiveOf(root).SubKeyNames(path);
  return {};
}

std::unique_ptr<RegistryNotification> MemoryRegistry::DoNotify(RegistryRoot root, const std::string& path,
                                                               std::uint32_t filter, RegStatus& status) {
  if (!DoKeyExists(root, path)) {
    status = kRegFileNotFound;
    return nullptr;
  }
  status = {};
  return std::make_unique<MemoryNotification>(state_, root, path, filter);
}

}  // namespace vz::platform::testing
