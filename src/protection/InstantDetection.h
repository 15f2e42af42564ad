#pragma once
// The event road of live protection: the kernel reports each program start as
// it happens, the start is captured on the event thread and posted to the UI
// thread, where it gets the same verdict as a process the refresh found. The
// refresh stays as the safety net for whatever the event stream drops.
#include <functional>
#include <memory>
#include <string>

#include "inventory/ProcessIdentity.h"
#include "log/ShieldLog.h"
#include "platform/ProcessEvents.h"
#include "protection/ProcessStartInbox.h"
#include "ui/AlertView.h"
#include "ui/UiDispatcher.h"

namespace vz::protection {

inline constexpr const char* kRefreshOnlyLine =
    "New processes are found by the two-second refresh only: process events are not available (";

class InstantDetection {
 public:
  struct Hooks {
    std::function<void(const inventory::ProcessIdentity&)> scan;  // the verdict on one start
    std::function<void()> catchUp;   // starts were dropped: the refresh must rebuild
    std::function<bool()> scanning;  // live process scanning is on
  };

  // Starts waiting beyond this many are dropped and left to the refresh.
  static constexpr size_t kInboxCapacity = 4096;
  // Starts judged per turn of the UI thread, so a burst never freezes the window.
  static constexpr size_t kBatch = 64;

  InstantDetection(ui::UiDispatcher* dispatcher, ui::AlertView* alertView, log::ShieldLog& log, Hooks hooks);
  ~InstantDetection();
  InstantDetection(const InstantDetection&) = delete;
  InstantDetection& operator=(const InstantDetection&) = delete;

  // Subscribes to the source. Without one (turned off) or when the kernel
  // refuses, the refresh alone finds new processes; a refusal is logged once.
  void Start(platform::ProcessEventSource* source);
  void Stop();
  bool Live() const { return source_ != nullptr; }

  // The alert has closed: starts that waited for it are judged now.
  void AlertClosed();

 private:
  struct Shared;
  void Wake();
  void Drain();

  ui::UiDispatcher* dispatcher_;
  ui::AlertView* alertView_;
  log::ShieldLog& log_;
  Hooks hooks_;
  std::shared_ptr<Shared> shared_;
  platform::ProcessEventSource* source_ = nullptr;
  bool draining_ = false;
  bool deferred_ = false;        // a wake-up came while draining
  bool waitingForAlert_ = false;
};

}  // namespace vz::protection
