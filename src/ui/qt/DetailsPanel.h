#pragma once
// The details panel beside the process list, showing what the details model
// found for the selected line; its buttons and link call that model.
#include <QGroupBox>

#include "protection/ProcessDetails.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace vz::ui::qt {

class DetailsPanel final : public QGroupBox {
  Q_OBJECT
 public:
  explicit DetailsPanel(QWidget* parent = nullptr);
  void Bind(protection::ProcessDetailsPanel& panel);
  void Unbind() { panel_ = nullptr; }
  void Show(const protection::ProcessDetails& details);

  QLabel* desc1;
  QLabel* desc2;
  QLabel* desc3;
  QLabel* desc4;
  QLabel* desc5;
  QTextEdit* desc10;
  QLabel* urlen;
  QPushButton* killButton;
  QPushButton* moreInfoButton;
  QPushButton* openFolderButton;

 private:
  protection::ProcessDetailsPanel* panel_ = nullptr;
};

}  // namespace vz::ui::qt
