#pragma once
// Blocking known spyware before it runs. The exec guard asks about every
// program about to run, on its own thread, and gets its answer from a
// read-only snapshot of the lists and exclusions: nothing it does waits on the
// user-interface thread. A refusal is posted to the UI thread, which logs it
// and shows the alert.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ExecGuard.h"
#include "protection/BlockSnapshot.h"
#include "ui/UiDispatcher.h"

namespace vz::protection {

struct BlockedStart {
  std::string entryName;  // the spyware entry, without padding
  std::string path;
  std::uint32_t pid = 0;
};

class ExecBlocking {
 public:
  using SnapshotFactory = std::function<std::shared_ptr<const BlockSnapshot>()>;
  using OnBlocked = std::function<void(const BlockedStart&)>;

  // Refusals waiting for the UI thread beyond this many are only counted.
  static constexpr size_t kMaxWaiting = 256;

  ExecBlocking(ui::UiDispatcher* dispatcher, SnapshotFactory makeSnapshot, OnBlocked onBlocked);
  ~ExecBlocking();
  ExecBlocking(const ExecBlocking&) = delete;
  ExecBlocking& operator=(const ExecBlocking&) = delete;

  // Starts guarding; false with errorText when the kernel refuses.
  bool Start(platform::ExecGuard& guard, std::string& errorText, int timeLimitMs = 50);
  void Stop();
  bool Live() const { return guard_ != nullptr; }
  // The lists or exclusions changed: decisions from now on use them.
  void Renew();

 private:
  struct Shared;
  void TakeBlocked();

  ui::UiDispatcher* dispatcher_;
  SnapshotFactory makeSnapshot_;
  OnBlocked onBlocked_;
  std::shared_ptr<Shared> shared_;
  platform::ExecGuard* guard_ = nullptr;
};

}  // namespace vz::protection
