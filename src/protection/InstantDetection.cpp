#include "protection/InstantDetection.h"

namespace vz::protection {

// What the event thread and the posted calls share. The owner is cleared on
// the UI thread when the road goes, so a call still queued then does nothing.
struct InstantDetection::Shared {
  ProcessStartInbox inbox{kInboxCapacity};
  ui::UiDispatcher* dispatcher = nullptr;
  InstantDetection* owner = nullptr;

  void PostDrain(const std::shared_ptr<Shared>& self) {
    if (!dispatcher) return;
    dispatcher->Post([self] {
      if (self->owner) self->owner->Drain();
    });
  }
};

InstantDetection::InstantDetection(ui::UiDispatcher* dispatcher, ui::AlertView* alertView, log::ShieldLog& log,
                                   Hooks hooks)
    : dispatcher_(dispatcher), alertView_(alertView), log_(log), hooks_(std::move(hooks)),
      shared_(std::make_shared<Shared>()) {
  shared_->dispatcher = dispatcher_;
  shared_->owner = this;
}

InstantDetection::~InstantDetection() {
  Stop();
  shared_->owner = nullptr;
}

void InstantDetection::Start(platform::ProcessEventSource* source) {
  if (source_ || !source || !dispatcher_) return;
  std::shared_ptr<Shared> shared = shared_;
  platform::ProcessEventSource::Handlers handlers;
  // The event thread only fills the inbox; only the push that finds it idle
  // posts a call to the UI thread.
  handlers.onStart = [shared](const platform::ProcessStart& start) {
    if (shared->inbox.Push(start)) shared->PostDrain(shared);
  };
  handlers.onLost = [shared] {
    if (shared->inbox.NoteLost()) shared->PostDrain(shared);
  };
  std::string error;
  if (!source->Start(std::move(handlers), error)) {
    log_.WriteShieldLog(kRefreshOnlyLine + error + ")");
    return;
  }
  source_ = source;
}

void InstantDetection::Stop() {
  if (!source_) return;
  source_->Stop();
  source_ = nullptr;
}

void InstantDetection::Wake() { shared_->PostDrain(shared_); }

void InstantDetection::AlertClosed() {
  if (!waitingForAlert_) return;
  waitingForAlert_ = false;
  Wake();
}

void InstantDetection::Drain() {
  // A call that comes while a verdict is being given (an alert lets events
  // run) waits for it; so does every call while the alert is open, so a
  // second finding never replaces the one the user is reading.
  if (draining_) {
    deferred_ = true;
    return;
  }
  if (alertView_ && alertView_->IsShowing()) {
    waitingForAlert_ = true;
    return;
  }
  draining_ = true;
  ProcessStartInbox::Batch batch = shared_->inbox.Take(kBatch);
  if (batch.lost && hooks_.catchUp) hooks_.catchUp();
  bool scanning = !hooks_.scanning || hooks_.scanning();
  for (const platform::ProcessStart& start : batch.starts) {
    if (!scanning || !hooks_.scan) break;
    hooks_.scan(inventory::ProcessIdentity{start.pid, start.startTime, start.path, start.name});
  }
  draining_ = false;
  if (batch.moreLeft || deferred_) {
    deferred_ = false;
    Wake();
  }
}

}  // namespace vz::protection
