#include "protection/ExecBlocking.h"

namespace vz::protection {

struct ExecBlocking::Shared {
  std::atomic<std::shared_ptr<const BlockSnapshot>> snapshot;
  std::mutex mutex;  // the guard's thread and the UI thread, for the refusals only
  std::vector<BlockedStart> blocked;
  ExecBlocking* owner = nullptr;  // cleared on the UI thread when the blocking goes
};

namespace {
// The entry a refusal was about, from the decision to the report on the same thread.
thread_local std::string refusedEntry;
}  // namespace

ExecBlocking::ExecBlocking(ui::UiDispatcher* dispatcher, SnapshotFactory makeSnapshot, OnBlocked onBlocked)
    : dispatcher_(dispatcher),
      makeSnapshot_(std::move(makeSnapshot)),
      onBlocked_(std::move(onBlocked)),
      shared_(std::make_shared<Shared>()) {
  shared_->owner = this;
}

ExecBlocking::~ExecBlocking() {
  Stop();
  shared_->owner = nullptr;
}

bool ExecBlocking::Start(platform::ExecGuard& guard, std::string& errorText, int timeLimitMs) {
  if (guard_) return true;
  Renew();
  std::shared_ptr<Shared> shared = shared_;
  ui::UiDispatcher* dispatcher = dispatcher_;
  platform::ExecGuard::Settings settings;
  settings.timeLimitMs = timeLimitMs;
  settings.decide = [shared](const platform::ExecAttempt& attempt) {
    std::shared_ptr<const BlockSnapshot> snapshot = shared->snapshot.load();
    refusedEntry = snapshot ? snapshot->Refusal(attempt.path) : std::string();
    return refusedEntry.empty();
  };
  settings.onDenied = [shared, dispatcher](const platform::ExecAttempt& attempt) {
    bool wake = false;
    {
      std::lock_guard lock(shared->mutex);
      if (shared->blocked.size() >= kMaxWaiting) return;
      wake = shared->blocked.empty();
      shared->blocked.push_back(BlockedStart{refusedEntry, attempt.path, attempt.pid});
    }
    if (wake && dispatcher)
      dispatcher->Post([shared] {
        if (shared->owner) shared->owner->TakeBlocked();
      });
  };
  if (!guard.Start(std::move(settings), errorText)) return false;
  guard_ = &guard;
  return true;
}

void ExecBlocking::Stop() {
  if (!guard_) return;
  guard_->Stop();
  guard_ = nullptr;
}

void ExecBlocking::Renew() {
  if (makeSnapshot_) shared_->snapshot.store(makeSnapshot_());
}

void ExecBlocking::TakeBlocked() {
  std::vector<BlockedStart> blocked;
  {
    std::lock_guard lock(shared_->mutex);
    blocked.swap(shared_->blocked);
  }
  for (const BlockedStart& start : blocked)
    if (onBlocked_) onBlocked_(start);
}

}  // namespace vz::protection
