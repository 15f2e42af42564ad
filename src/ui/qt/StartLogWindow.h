#pragma once
// "Logging of started process": every process start seen since the shield
// started, oldest first, in a fixed-size window without system buttons; its
// close button only hides it.
#include <QWidget>
#include <string>

class QListWidget;
class QToolButton;

namespace vz::ui::qt {

class StartLogWindow final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 309;
  static constexpr int kHeight = 407;

  explicit StartLogWindow(QWidget* owner);
  void AddLine(const std::string& line);
  // Shows the window centred on `over` (not modal).
  void ShowCentredOn(const QWidget& over);

  QListWidget* list;
  QToolButton* closeButton;
};

}  // namespace vz::ui::qt
