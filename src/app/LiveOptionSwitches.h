#pragma once
// The live options as the user switches them: by their check boxes, or by the
// tray's check entries, which mirror the two live scan boxes and "Block known
// spyware". A switch takes effect at once (panels shown or hidden, the
// browser-key monitor suspended or resumed, the exec guard started or
// stopped); the main cycle reads the rest each tick.
#include <functional>

#include "app/LiveOptions.h"
#include "app/TrayMenu.h"
#include "ui/MainWindowView.h"

namespace vz::app {

class LiveOptionSwitches {
 public:
  LiveOptionSwitches(LiveOptions& options, ui::MainWindowView& view, TrayMenu& tray)
      : options_(options), view_(view), tray_(tray) {}

  // "Live IE proctection" suspends (false) or resumes (true) it; none: nothing happens.
  void SetBrowserKeyMonitor(std::function<void(bool resume)> monitor) { browserKeyMonitor_ = std::move(monitor); }

  // "Block known spyware" turns the exec guard on or off; answers whether
  // blocking is on now. None: the option is only noted.
  void SetBlockingSwitch(std::function<bool(bool on)> turn) { blockingSwitch_ = std::move(turn); }
  // The guard cannot run here: the box and the tray entry show unchecked and
  // greyed from now on.
  void BlockingUnavailable();
  // Box and tray entry show whether blocking is on.
  void ShowBlocking(bool on);

  // The tray marks and the watch panels as the options stand (window creation).
  void ShowAsTheyStand();

  // A check box clicked (checked is the box's new state).
  void OptionClicked(ui::LiveOption option, bool checked);
  // A tray check entry clicked: inverts its own mark and sets its check box.
  void TrayOptionClicked(ui::LiveOption option);

 private:
  void Apply(ui::LiveOption option, bool checked);

  LiveOptions& options_;
  ui::MainWindowView& view_;
  TrayMenu& tray_;
  std::function<void(bool resume)> browserKeyMonitor_;
  std::function<bool(bool on)> blockingSwitch_;
  bool blockingAvailable_ = true;
};

}  // namespace vz::app
