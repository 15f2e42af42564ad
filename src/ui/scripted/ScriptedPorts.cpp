#include "ui/scripted/ScriptedPorts.h"

namespace vz::ui::scripted {

DialogAnswer ScriptedDialogs::Show(const DialogRequest& request) {
  shown.push_back(request);
  if (whileOpen) whileOpen(request);
  if (answers.empty()) return SafeAnswer(request.buttons);
  DialogAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

bool ScriptedDialogs::WasShown(const std::string& textPart) const {
  for (const auto& r : shown)
    if (r.text.find(textPart) != std::string::npos || r.caption.find(textPart) != std::string::npos) return true;
  return false;
}

void RecordingMainWindow::SetStatusPanel(int index, const std::string& text) {
  if (index < 0 || index >= kStatusPanelCount) return;
  statusPanels[index] = text;
  statusHistory[index].push_back(text);
}

void ScriptedAlertView::ShowModal(protection::AlertModel& alert) {
  ++modalShows;
  showing = true;
  if (onShow) onShow(alert);
  showing = false;
}

void ScriptedAlertView::ShowAgain(protection::AlertModel& alert) {
  ++reShows;
  if (onShow) onShow(alert);
}

std::unique_ptr<Timer> ManualTimerFactory::CreateTimer(int intervalMs, std::function<void()> onTimeout) {
  auto timer = std::make_unique<ManualTimer>(intervalMs, std::move(onTimeout));
  created.push_back(timer.get());
  return timer;
}

ManualTimer* ManualTimerFactory::WithInterval(int intervalMs) const {
  for (auto* t : created)
    if (t->IntervalMs() == intervalMs) return t;
  return nullptr;
}

bool InlineDispatcher::Post(std::function<void()> function) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(function));
  return true;
}

int InlineDispatcher::RunPosted() {
  int ran = 0;
  for (;;) {
    std::vector<std::function<void()>> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(posted_);
    }
    if (batch.empty()) return ran;
    for (auto& function : batch) {
      function();
      ++ran;
    }
  }
}

size_t InlineDispatcher::PostedCount() const {
  std::lock_guard lock(mutex_);
  return posted_.size();
}

}  // namespace vz::ui::scripted
