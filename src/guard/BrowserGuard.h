#pragma once
// The browser and HOSTS-location guard: the four guarded settings as they
// were when the shield started (the baselines), and the check that runs on
// every change report of a registry monitor. For each setting that differs
// from its baseline the user is told what changed and asked whether to keep
// it: OK makes the new value the baseline, Cancel writes the old one back.
//
// A report that arrives while a question is open (a nested event loop runs
// it) is not checked inside the question: the check runs once more after the
// open one has finished, so one difference never gives two questions.
#include <array>
#include <functional>
#include <string>

#include "guard/GuardedSettings.h"
#include "log/ShieldLog.h"
#include "platform/Registry.h"
#include "ui/Dialogs.h"
#include "ui/MainWindowView.h"
#include "ui/Timer.h"

namespace vz::guard {

inline constexpr const char* kGuardCaption = "Internet Explorer Change";

// The question's text for one setting.
std::string ChangeQuestionText(const GuardedSetting& setting, const std::string& oldValue, const std::string& newValue);

class BrowserGuard {
 public:
  BrowserGuard(platform::RegistryStore& store, ui::Dialogs& dialogs, ui::MainWindowView& view, log::ShieldLog& log);

  // The main cycle's timer, paused while a question is open.
  void SetMainTimer(ui::Timer* timer) { mainTimer_ = timer; }
  // Hides the main window after a question (default: the view's HideWindow).
  void SetHideWindow(std::function<void()> hide) { hideWindow_ = std::move(hide); }

  // Reads the four baselines (the window's creation, before the monitors run).
  void ReadBaselines();
  // The handler of a change report; which monitor sent it does not matter.
  void OnRegistryChanged();

  const std::string& Baseline(std::size_t setting) const { return baselines_.at(setting); }

 private:
  void CheckAll();
  void AskAbout(std::size_t setting, const std::string& current);
  std::string ReadCurrent(std::size_t setting);

  platform::RegistryStore& store_;
  ui::Dialogs& dialogs_;
  ui::MainWindowView& view_;
  log::ShieldLog& log_;
  ui::Timer* mainTimer_ = nullptr;
  std::function<void()> hideWindow_;
  std::array<std::string, kGuardedSettings.size()> baselines_;
  bool checking_ = false;
  bool checkAgain_ = false;
};

}  // namespace vz::guard
