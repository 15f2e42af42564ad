#include "ui/console/ConsoleMainWindow.h"

namespace vz::ui::console {

namespace {
constexpr int kClockPanel = 4;
}

void ConsoleMainWindow::SetStatusPanel(int index, const std::string& text) {
  if (index < 0 || index >= kStatusPanelCount) return;
  panels_[static_cast<size_t>(index)] = text;
  if (index != kClockPanel && onStatusChanged_) onStatusChanged_();
}

void ConsoleMainWindow::FlushStatus() {
  for (int i = 0; i < kStatusPanelCount; ++i) {
    if (i == kClockPanel) continue;
    auto& shown = printed_[static_cast<size_t>(i)];
    const auto& now = panels_[static_cast<size_t>(i)];
    if (shown == now) continue;
    shown = now;
    out_.Line("  status | " + now);
  }
}

void ConsoleMainWindow::ShowWindow() {
  if (!showing_) out_.Line("  window | main window shown");
  showing_ = true;
}

void ConsoleMainWindow::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  // The caption changes only for a restart; that is worth a line.
  if (!caption_.empty()) out_.Line("  window | " + caption);
  caption_ = caption;
}

void ConsoleMainWindow::SetInfoLabel(const std::string& text) {
  if (text == infoLabel_) return;
  infoLabel_ = text;
  out_.Line("  info   | " + text);
}

}  // namespace vz::ui::console
