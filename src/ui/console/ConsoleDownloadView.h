#pragma once
// The "Download Updates" window in the terminal: the detailed log's entries
// are printed as they come, and the progress of a file on one line that is
// rewritten in place.
#include "ui/DownloadView.h"
#include "ui/console/ConsoleOutput.h"

namespace vz::ui::console {

class ConsoleDownloadView final : public DownloadView {
 public:
  explicit ConsoleDownloadView(ConsoleOutput& out) : out_(out) {}

  void ShowDialog() override;
  void CloseDialog() override;
  bool IsDialogShowing() const override { return showing_; }
  void SetStatus(const std::string&) override {}
  void SetGauge(std::int64_t position, std::int64_t maximum) override;
  void AddLogEntry(const std::string& entry) override;
  void SetLogExpanded(bool) override {}

 private:
  void EndProgressLine();

  ConsoleOutput& out_;
  bool showing_ = false;
  bool progressOpen_ = false;
  int lastPercent_ = -1;
};

}  // namespace vz::ui::console
