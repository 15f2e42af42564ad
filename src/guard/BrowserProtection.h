#pragma once
// What the main window creates for the browser and HOSTS-location guard: the
// guard with its baselines and the two registry monitors that report to it,
// "regmon1" on the browser pages key of the user and "regmon2" on the TCP/IP
// parameters key of the machine. "Live IE proctection" suspends and resumes
// "regmon1" only. The monitors end with this object.
#include <memory>

#include "guard/BrowserGuard.h"
#include "guard/RegistryMonitor.h"
#include "ui/UiDispatcher.h"

namespace vz::guard {

class BrowserProtection {
 public:
  BrowserProtection(platform::RegistryStore& store, ui::Dialogs& dialogs, ui::MainWindowView& view,
                    log::ShieldLog& log, ui::UiDispatcher* dispatcher);
  ~BrowserProtection();

  // Takes the baselines, then creates and resumes both monitors. Without a
  // dispatcher (no UI thread to report to) no monitor is started.
  void Start();
  // "Live IE proctection" switched on (resume) or off (suspend).
  void SetBrowserPagesWatched(bool watched);
  // Ends both monitors (cancelled waits, threads joined).
  void Stop();

  BrowserGuard& Guard() { return guard_; }
  RegistryMonitor* BrowserPagesMonitor() { return regmon1_.get(); }
  RegistryMonitor* TcpipMonitor() { return regmon2_.get(); }

 private:
  std::unique_ptr<RegistryMonitor> MakeMonitor(const char* name, platform::RegistryRoot root, const char* key);

  platform::RegistryStore& store_;
  ui::UiDispatcher* dispatcher_;
  BrowserGuard guard_;
  std::unique_ptr<RegistryMonitor> regmon1_;
  std::unique_ptr<RegistryMonitor> regmon2_;
};

}  // namespace vz::guard
