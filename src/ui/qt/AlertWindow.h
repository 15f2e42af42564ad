#pragma once
// The alert window "Orvane Alert !": what was found and the buttons of its
// actions, bound to the alert model. It can be left only through its buttons.
#include <QDialog>

#include "protection/AlertModel.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vz::ui::qt {

class AlertWindow final : public QDialog {
  Q_OBJECT
 public:
  AlertWindow();
  // Shows the model's fields and button states.
  void Refresh(protection::AlertModel& alert);

  QLabel* label1;  // title
  QLabel* label2;  // name line
  QLabel* label3;  // location
  QLabel* label5;  // identifier
  QPlainTextEdit* scandiaDesc;
  QLabel* urlLabel1;
  QPushButton* closeButton;
  QPushButton* killButton;
  QPushButton* deleteButton;
  QPushButton* openFolderButton;
  QPushButton* excludeButton;
  QPushButton* moreInfoButton;
  QPushButton* removeStartupButton;

 public slots:
  // Escape does not close it: only its buttons do.
  void reject() override {}

  // Back on screen in its normal state, in front (from minimised or hidden).
  void RestoreOnScreen();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A window manager that minimises it anyway gets it back at once: a
  // minimised modal alert would leave every other window of the shield dead.
  void changeEvent(QEvent* event) override;

 private:
  // Runs a button's action on the alert, then shows the new state if still open.
  void Run(void (protection::AlertModel::*action)());

  protection::AlertModel* alert_ = nullptr;
};

}  // namespace vz::ui::qt
