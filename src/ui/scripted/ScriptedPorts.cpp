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

}  // namespace vz::ui::scripted
