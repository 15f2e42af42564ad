#include "guard/BrowserGuard.h"

namespace vz::guard {

std::string ChangeQuestionText(const GuardedSetting& setting, const std::string& oldValue, const std::string& newValue) {
  return std::string(setting.heading) + "\r\n" + " From : " + oldValue + "\r\n" + " To  :  " + newValue + "\r\n" +
         "Do you want to change it to " + newValue + " ?";
}

BrowserGuard::BrowserGuard(platform::RegistryStore& store, ui::Dialogs& dialogs, ui::MainWindowView& view,
                           log::ShieldLog& log)
    : store_(store), dialogs_(dialogs), view_(view), log_(log), hideWindow_([this] { view_.HideWindow(); }) {}

std::string BrowserGuard::ReadCurrent(std::size_t setting) {
  const GuardedSetting& s = kGuardedSettings[setting];
  return ReadRegString(store_, s.root, s.key, s.valueName, s.defaultValue);
}

void BrowserGuard::ReadBaselines() {
  for (std::size_t i = 0; i < kGuardedSettings.size(); ++i) baselines_[i] = ReadCurrent(i);
}

void BrowserGuard::OnRegistryChanged() {
  if (checking_) {
    // A question is open and events run inside it: check again once it is done.
    checkAgain_ = true;
    return;
  }
  checking_ = true;
  do {
    checkAgain_ = false;
    CheckAll();
  } while (checkAgain_);
  checking_ = false;
}

void BrowserGuard::CheckAll() {
  std::array<std::string, kGuardedSettings.size()> current;
  for (std::size_t i = 0; i < kGuardedSettings.size(); ++i) current[i] = ReadCurrent(i);
  for (std::size_t i = 0; i < kGuardedSettings.size(); ++i)
    if (current[i] != baselines_[i]) AskAbout(i, current[i]);
}

void BrowserGuard::AskAbout(std::size_t setting, const std::string& current) {
  const GuardedSetting& s = kGuardedSettings[setting];
  const std::string old = baselines_[setting];
  log_.WriteShieldLog(s.logText);
  // The cycle resumes afterwards only if it ran before: a cycle stopped by an
  // open alert or by the loading stays stopped.
  const bool cycleWasRunning = mainTimer_ && mainTimer_->IsRunning();
  if (mainTimer_) mainTimer_->Stop();
  if (!view_.IsWindowShowing()) {
    view_.ShowWindow();
    view_.BringToFront();
  } else if (setting == kStartPageSetting) {
    view_.BringToFront();
  }
  ui::DialogAnswer answer =
      dialogs_.Ask(kGuardCaption, ChangeQuestionText(s, old, current), ui::DialogButtons::OkCancel, ui::DialogIcon::Warning);
  if (answer == ui::DialogAnswer::Ok) {
    baselines_[setting] = current;
  } else {
    WriteRegString(store_, s.root, s.key, s.valueName, old);
  }
  if (hideWindow_) hideWindow_();
  if (cycleWasRunning) mainTimer_->Start();
}

}  // namespace vz::guard
