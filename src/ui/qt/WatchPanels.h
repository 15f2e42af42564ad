#pragma once
// The two watch panels of the "Tools" column: "System Watch" (the CPU load's
// vertical bar, the current value and the average) and "Process statistics"
// (the latest start, the change counts and "More", which opens the start log).
#include <QGroupBox>
#include <functional>
#include <string>

#include "ui/MainWindowView.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vz::ui::qt {

class SystemWatchPanel final : public QGroupBox {
  Q_OBJECT
 public:
  explicit SystemWatchPanel(QWidget* parent = nullptr);
  void Show(int barPosition, const std::string& current, const std::string& average);

  QProgressBar* bar;
  QLabel* current;
  QLabel* average;
};

class StatisticsPanel final : public QGroupBox {
  Q_OBJECT
 public:
  explicit StatisticsPanel(QWidget* parent = nullptr);
  void SetLabel(StatisticsLabel label, const std::string& text);
  QLabel* Value(StatisticsLabel label) const;
  // What "More" does (the start log window, through the core).
  void SetOnMore(std::function<void()> onMore) { onMore_ = std::move(onMore); }

  QLabel* latestStart;
  QLabel* processChanges;
  QLabel* lastMinute;
  QLabel* last15Minutes;
  QPushButton* more;

 private:
  std::function<void()> onMore_;
};

}  // namespace vz::ui::qt
