#pragma once
// The "Process" page: the process list "TaskList" with its context menu and
// F5, the details panel beside it, and the shield log below (newest on top).
#include <QWidget>

#include "app/MainWindowModel.h"
#include "inventory/ProcessList.h"
#include "protection/ProcessDetails.h"

class QListWidget;
class QMenu;

namespace vz::ui::qt {

class DetailsPanel;

class ProcessPage final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLogHeight = 150;

  explicit ProcessPage(QWidget* parent = nullptr);
  void Bind(app::MainWindowModel& model, inventory::ProcessList& list, protection::ProcessDetailsPanel& details);
  void Unbind();

  void SetProcessList(const std::vector<std::string>& names, int selected);
  void SetShieldLog(const std::vector<std::string>& entries);

  QListWidget* taskList;
  QListWidget* logList;
  DetailsPanel* details;
  QMenu* taskMenu;

 private:
  void LineSelected(int row);
  // The selected line, -1 when none.
  int SelectedRow() const;

  app::MainWindowModel* model_ = nullptr;
  inventory::ProcessList* list_ = nullptr;
  protection::ProcessDetailsPanel* details_ = nullptr;
};

}  // namespace vz::ui::qt
