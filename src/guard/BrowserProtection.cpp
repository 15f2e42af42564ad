#include "guard/BrowserProtection.h"

namespace vz::guard {

BrowserProtection::BrowserProtection(platform::RegistryStore& store, ui::Dialogs& dialogs, ui::MainWindowView& view,
                                     log::ShieldLog& log, ui::UiDispatcher* dispatcher)
    : store_(store), dispatcher_(dispatcher), guard_(store, dialogs, view, log) {}

BrowserProtection::~BrowserProtection() { Stop(); }

std::unique_ptr<RegistryMonitor> BrowserProtection::MakeMonitor(const char* name, platform::RegistryRoot root,
                                                                const char* key) {
  auto monitor = std::make_unique<RegistryMonitor>(name, store_, *dispatcher_);
  monitor->SetKey(root, key);
  // The report's parameters are not needed: every report checks all four settings.
  monitor->SetTarget([this](platform::RegistryRoot, const std::string&) { guard_.OnRegistryChanged(); });
  return monitor;
}

void BrowserProtection::Start() {
  guard_.ReadBaselines();
  if (!dispatcher_ || regmon1_) return;
  // A desktop without the browser has no such keys: they are created empty so
  // that a value written later is seen. Where the hive may not be written the
  // key stays missing and its monitor ends quietly.
  store_.CreateKey(platform::RegistryRoot::CurrentUser, kBrowserPagesKey);
  store_.CreateKey(platform::RegistryRoot::LocalMachine, kTcpipParametersKey);
  regmon1_ = MakeMonitor("regmon1", platform::RegistryRoot::CurrentUser, kBrowserPagesKey);
  regmon2_ = MakeMonitor("regmon2", platform::RegistryRoot::LocalMachine, kTcpipParametersKey);
  regmon1_->Resume();
  regmon2_->Resume();
}

void BrowserProtection::SetBrowserPagesWatched(bool watched) {
  if (!regmon1_) return;
  if (watched) {
    regmon1_->Resume();
  } else {
    regmon1_->Suspend();
  }
}

void BrowserProtection::Stop() {
  if (regmon1_) regmon1_->Stop();
  if (regmon2_) regmon2_->Stop();
}

}  // namespace vz::guard
