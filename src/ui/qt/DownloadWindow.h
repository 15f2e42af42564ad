#pragma once
// The "Download Updates" window: the picture, the bold status line, the
// progress gauge, "Check for updates now", "Abort", "View Log", the close
// button and the detailed log (newest first) that "View Log" reveals by
// making the window 170 px taller. It holds the widgets and forwards every
// click to the downloader; the window is created when first shown.
#include <QDialog>
#include <memory>

#include "ui/DownloadView.h"
#include "update/UpdateDownloader.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

namespace vz::ui::qt {

class DownloadWindow final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 420;
  static constexpr int kCollapsedHeight = 150;
  static constexpr int kLogHeight = 170;

  DownloadWindow();
  void Bind(update::UpdateDownloader* downloader) { downloader_ = downloader; }

  void SetLogExpanded(bool expanded);

  QLabel* picture;
  QLabel* status;
  QProgressBar* gauge;
  QLabel* checkLink;
  QPushButton* abortButton;
  QPushButton* viewLogButton;
  QToolButton* closeButton;
  QPlainTextEdit* detailedLog;
  QToolButton* restoreButton;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <typename Action>
  void Forward(Action action);

  update::UpdateDownloader* downloader_ = nullptr;
};

// The port on the window.
class QtDownloadView final : public DownloadView {
 public:
  QtDownloadView();
  ~QtDownloadView() override;
  DownloadWindow& Window();
  bool HasWindow() const { return window_ != nullptr; }
  // The model the window's clicks go to (none: they go nowhere).
  void Bind(update::UpdateDownloader* downloader);
  // The window it opens centred on.
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }

  void ShowDialog() override;
  void CloseDialog() override;
  bool IsDialogShowing() const override;
  void SetStatus(const std::string& text) override;
  void SetGauge(std::int64_t position, std::int64_t maximum) override;
  void AddLogEntry(const std::string& entry) override;
  void SetLogExpanded(bool expanded) override;

 private:
  std::unique_ptr<DownloadWindow> window_;
  update::UpdateDownloader* downloader_ = nullptr;
  QWidget* mainWindow_ = nullptr;
};

}  // namespace vz::ui::qt
