#pragma once
// The "Startup programs" page: the startup list (name, command, hive; whole
// rows selected, no header) with its context menu, and the buttons "Check
// startup programs" and "Refresh List". A mouse press selects the row under
// the pointer first, so the menu acts on the row it was opened over.
#include <QWidget>

#include "startup/StartupList.h"
#include "startup/StartupScanner.h"

class QMenu;
class QPushButton;
class QTableWidget;

namespace vz::ui::qt {

class StartupPage final : public QWidget {
  Q_OBJECT
 public:
  explicit StartupPage(QWidget* parent = nullptr);
  void Bind(startup::StartupList* list, startup::StartupScanner* scanner);

  void SetRows(const std::vector<StartupRow>& rows, int selected);

  QTableWidget* startupGrid;
  QMenu* gridMenu;
  QPushButton* checkButton;
  QPushButton* refreshButton;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  startup::StartupList* list_ = nullptr;
  startup::StartupScanner* scanner_ = nullptr;
};

}  // namespace vz::ui::qt
