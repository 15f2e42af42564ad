#pragma once
// The administration console's window "Orvane Admin": the schedule, where the
// update comes from, the copy to a LAN folder, the update server and Save.
// Every change goes to the admin console model; the window shows the model.
#include <QWidget>

#include "update/AdminConsoleModel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vz::ui::qt {

class AdminWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit AdminWindow(update::AdminConsoleModel& model, QWidget* parent = nullptr);

  // Shows the model's values and which controls apply.
  void Refresh();

  QComboBox* typeBox;
  QComboBox* dayBox;
  QComboBox* hourBox;
  QCheckBox* clock24Check;
  QCheckBox* runMissedCheck;
  QCheckBox* deactivateCheck;
  QRadioButton* internetRadio;
  QRadioButton* lanRadio;
  QLineEdit* lanSourceEdit;
  QLineEdit* serverEdit;
  QCheckBox* copyCheck;
  QLineEdit* lanTargetEdit;
  QPushButton* saveButton;
  QPushButton* closeButton;
  QLabel* statusLabel;

 private:
  QWidget* MakeSchedule();
  QWidget* MakeSource();
  QWidget* MakeCopy();

  update::AdminConsoleModel& model_;
  bool refreshing_ = false;
};

}  // namespace vz::ui::qt
