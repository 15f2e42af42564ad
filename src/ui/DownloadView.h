#pragma once
// Port: the "Download Updates" window as the downloader sees it. The model
// keeps the state (status, gauge, detailed log); the view shows what it is
// told and forwards the window's commands to the model.
#include <cstdint>
#include <string>
#include <vector>

namespace vz::ui {

class DownloadView {
 public:
  virtual ~DownloadView() = default;
  // Shows the window (not modal) / closes it.
  virtual void ShowDialog() = 0;
  virtual void CloseDialog() = 0;
  virtual bool IsDialogShowing() const = 0;
  // The bold status line.
  virtual void SetStatus(const std::string& text) = 0;
  // The progress gauge; maximum 0 while the length is unknown.
  virtual void SetGauge(std::int64_t position, std::int64_t maximum) = 0;
  // A new entry on top of the detailed log.
  virtual void AddLogEntry(const std::string& entry) = 0;
  // The detailed log shown (the window 170 px taller) or hidden.
  virtual void SetLogExpanded(bool expanded) = 0;
};

// For a front end without the window: nothing shown, never showing.
class NullDownloadView final : public DownloadView {
 public:
  void ShowDialog() override {}
  void CloseDialog() override {}
  bool IsDialogShowing() const override { return false; }
  void SetStatus(const std::string&) override {}
  void SetGauge(std::int64_t, std::int64_t) override {}
  void AddLogEntry(const std::string&) override {}
  void SetLogExpanded(bool) override {}
};

}  // namespace vz::ui
