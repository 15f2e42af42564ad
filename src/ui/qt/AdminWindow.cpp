#include "ui/qt/AdminWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vz::ui::qt {

namespace {

void FillList(QComboBox* box, const std::vector<std::string>& captions) {
  QSignalBlocker quiet(box);
  int current = box->currentIndex();
  box->clear();
  for (const std::string& caption : captions) box->addItem(QString::fromStdString(caption));
  box->setCurrentIndex(current);
}

void SetText(QLineEdit* edit, const std::string& text) {
  QString value = QString::fromStdString(text);
  if (edit->text() != value) edit->setText(value);
}

}  // namespace

AdminWindow::AdminWindow(update::AdminConsoleModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setWindowTitle("Orvane Admin");
  setObjectName("AdminForm");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeSchedule());
  layout->addWidget(MakeSource());
  layout->addWidget(MakeCopy());

  auto* buttons = new QHBoxLayout;
  statusLabel = new QLabel(this);
  statusLabel->setObjectName("StatusLabel");
  saveButton = new QPushButton("Save", this);
  saveButton->setObjectName("BTNSave");
  closeButton = new QPushButton("Close", this);
  closeButton->setObjectName("BTNClose");
  buttons->addWidget(statusLabel, 1);
  buttons->addWidget(saveButton);
  buttons->addWidget(closeButton);
  layout->addLayout(buttons);

  connect(saveButton, &QPushButton::clicked, this, [this] {
    model_.Save();
    Refresh();
  });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  Refresh();
}

QWidget* AdminWindow::MakeSchedule() {
  auto* box = new QGroupBox("Schedule", this);
  auto* form = new QFormLayout(box);
  typeBox = new QComboBox(box);
  typeBox->setObjectName("SchTypeBox");
  FillList(typeBox, update::AdminConsoleModel::TypeCaptions());
  dayBox = new QComboBox(box);
  dayBox->setObjectName("SchDayBox");
  FillList(dayBox, update::AdminConsoleModel::DayCaptions());
  hourBox = new QComboBox(box);
  hourBox->setObjectName("SchTimeBox");
  clock24Check = new QCheckBox("24 hours", box);
  clock24Check->setObjectName("Check24hours");
  runMissedCheck = new QCheckBox("Run missed schedule", box);
  runMissedCheck->setObjectName("CheckRunmissed");
  deactivateCheck = new QCheckBox("Deactivate schedule", box);
  deactivateCheck->setObjectName("CheckScheDeac");

  auto* hourRow = new QHBoxLayout;
  hourRow->addWidget(hourBox, 1);
  hourRow->addWidget(clock24Check);
  form->addRow("Run :", typeBox);
  form->addRow("Day :", dayBox);
  form->addRow("Hour :", hourRow);
  form->addRow(runMissedCheck);
  form->addRow(deactivateCheck);

  auto changed = [this](auto apply) {
    return [this, apply](auto value) {
      if (refreshing_) return;
      apply(value);
      Refresh();
    };
  };
  connect(typeBox, &QComboBox::currentIndexChanged, this, changed([this](int i) { model_.SetType(i); }));
  connect(dayBox, &QComboBox::currentIndexChanged, this, changed([this](int i) { model_.SetDay(i); }));
  connect(hourBox, &QComboBox::currentIndexChanged, this, changed([this](int i) { model_.SetHour(i); }));
  connect(clock24Check, &QCheckBox::toggled, this, changed([this](bool on) { model_.SetClock24(on); }));
  connect(runMissedCheck, &QCheckBox::toggled, this, changed([this](bool on) { model_.SetRunMissed(on); }));
  connect(deactivateCheck, &QCheckBox::toggled, this, changed([this](bool on) { model_.SetDeactivated(on); }));
  return box;
}

QWidget* AdminWindow::MakeSource() {
  auto* box = new QGroupBox("Update", this);
  auto* form = new QFormLayout(box);
  internetRadio = new QRadioButton("From the Internet", box);
  internetRadio->setObjectName("RadioUpdInet");
  lanRadio = new QRadioButton("From a LAN folder", box);
  lanRadio->setObjectName("RadioUpdLan");
  lanSourceEdit = new QLineEdit(box);
  lanSourceEdit->setObjectName("EditUpdLanS");
  lanSourceEdit->setPlaceholderText("/mnt/share/vazeru");
  serverEdit = new QLineEdit(box);
  serverEdit->setObjectName("EditUpdateServer");
  serverEdit->setMinimumWidth(300);
  form->addRow(internetRadio);
  form->addRow("Update server :", serverEdit);
  form->addRow(lanRadio);
  form->addRow("LAN folder :", lanSourceEdit);

  connect(lanRadio, &QRadioButton::toggled, this, [this](bool on) {
    if (refreshing_) return;
    model_.SetUpdateFromLan(on);
    Refresh();
  });
  connect(lanSourceEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_.SetLanSource(text.toStdString()); });
  connect(serverEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_.SetUpdateServer(text.toStdString()); });
  return box;
}

QWidget* AdminWindow::MakeCopy() {
  auto* box = new QGroupBox("Copy to share", this);
  auto* form = new QFormLayout(box);
  copyCheck = new QCheckBox("Copy the downloaded files to a LAN folder", box);
  copyCheck->setObjectName("CheckCopyLan");
  lanTargetEdit = new QLineEdit(box);
  lanTargetEdit->setObjectName("EditCopyLanS");
  form->addRow(copyCheck);
  form->addRow("LAN folder :", lanTargetEdit);
  connect(copyCheck, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_) return;
    model_.SetCopyToLan(on);
    Refresh();
  });
  connect(lanTargetEdit, &QLineEdit::textEdited, this,
          [this](const QString& text) { model_.SetLanTarget(text.toStdString()); });
  return box;
}

void AdminWindow::Refresh() {
  refreshing_ = true;
  const update::ScheduleSettings& s = model_.Settings();
  FillList(hourBox, model_.HourCaptions());
  typeBox->setCurrentIndex(s.type);
  dayBox->setCurrentIndex(s.day);
  hourBox->setCurrentIndex(s.hour);
  clock24Check->setChecked(s.clock24);
  runMissedCheck->setChecked(s.runMissed);
  deactivateCheck->setChecked(s.deactivated);
  (s.updateFromLan ? lanRadio : internetRadio)->setChecked(true);
  SetText(lanSourceEdit, s.lanSource);
  SetText(serverEdit, s.updateServer);
  copyCheck->setChecked(s.copyToLan);
  SetText(lanTargetEdit, s.lanTarget);

  dayBox->setEnabled(model_.DayApplies());
  hourBox->setEnabled(model_.HourApplies());
  runMissedCheck->setEnabled(model_.HourApplies());
  lanSourceEdit->setEnabled(model_.LanSourceApplies());
  serverEdit->setEnabled(model_.ServerApplies());
  copyCheck->setEnabled(model_.CopyApplies());
  lanTargetEdit->setEnabled(model_.LanTargetApplies());
  statusLabel->setText(QString::fromStdString(model_.Status()));
  refreshing_ = false;
}

}  // namespace vz::ui::qt
