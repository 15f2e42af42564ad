#include "ui/console/ConsoleDownloadView.h"

namespace vz::ui::console {

void ConsoleDownloadView::ShowDialog() {
  showing_ = true;
  out_.Line("  download | Download Updates (a aborts)");
}

void ConsoleDownloadView::CloseDialog() {
  EndProgressLine();
  showing_ = false;
}

void ConsoleDownloadView::SetGauge(std::int64_t position, std::int64_t maximum) {
  if (maximum <= 0) return;
  int percent = position >= maximum ? 100 : static_cast<int>(position * 100 / maximum);
  if (position == 0) lastPercent_ = -1;
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  out_.Prompt("\r  download | " + std::to_string(percent) + "% of " + std::to_string(maximum) + " bytes");
  progressOpen_ = true;
}

void ConsoleDownloadView::AddLogEntry(const std::string& entry) {
  EndProgressLine();
  out_.Line("  download | " + entry);
}

void ConsoleDownloadView::EndProgressLine() {
  if (!progressOpen_) return;
  out_.Line("");
  progressOpen_ = false;
}

}  // namespace vz::ui::console
