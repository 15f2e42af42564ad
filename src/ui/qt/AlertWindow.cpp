#include "ui/qt/AlertWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt/QtDialogs.h"
#include "ui/qt/ShieldIcon.h"

namespace vz::ui::qt {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QLabel* Label(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  // Names and paths come from files others may write: shown as they are,
  // never read as markup.
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AlertWindow::AlertWindow() {
  setObjectName("Form2");
  setWindowTitle(protection::kAlertCaption);
  setWindowIcon(ShieldIcon());
  // A fixed border and no title-bar buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  label1 = Label("Label1", this);
  QFont big = label1->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  label1->setFont(big);
  label1->setStyleSheet("color: #b00000;");
  label2 = Label("Label2", this);
  QFont bold = label2->font();
  bold.setBold(true);
  label2->setFont(bold);
  label3 = Label("Label3", this);
  label5 = Label("Label5", this);
  scandiaDesc = new QPlainTextEdit(this);
  scandiaDesc->setObjectName("ScandiaDesc");
  scandiaDesc->setReadOnly(true);
  scandiaDesc->setFixedHeight(90);
  scandiaDesc->setMinimumWidth(460);
  urlLabel1 = Label("URLLabel1", this);
  // The link is markup of its own, around the escaped address.
  urlLabel1->setTextFormat(Qt::RichText);
  urlLabel1->setTextInteractionFlags(Qt::LinksAccessibleByMouse);

  closeButton = Button("BtnClose", "Close", this);
  killButton = Button("BtnKill", "Kill Process", this);
  deleteButton = Button("BtnDelete", "Delete file", this);
  openFolderButton = Button("BtnOpenFolder", "Open Containing Folder", this);
  excludeButton = Button("BtnExclude", "Add file to exclude list", this);
  moreInfoButton = Button("BtnMoreInfo", "More Info", this);
  removeStartupButton = Button("BtnRemoveStartup", "Remove startup", this);
  removeStartupButton->setToolTip("Files can be locked be the system");
  removeStartupButton->setVisible(false);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel("Location :", this), 0, 0);
  fields->addWidget(label3, 0, 1);
  fields->addWidget(new QLabel("PID :", this), 1, 0);
  fields->addWidget(label5, 1, 1);
  fields->setColumnStretch(1, 1);

  // "Remove startup" lies over the places of "Kill Process" and "Delete file".
  auto* actions = new QGridLayout;
  actions->addWidget(killButton, 0, 0);
  actions->addWidget(deleteButton, 0, 1);
  actions->addWidget(removeStartupButton, 0, 0, 1, 2);
  actions->addWidget(openFolderButton, 0, 2);
  actions->addWidget(excludeButton, 1, 0, 1, 2);
  actions->addWidget(moreInfoButton, 1, 2);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(closeButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addWidget(label2);
  layout->addLayout(fields);
  layout->addWidget(scandiaDesc);
  layout->addWidget(urlLabel1);
  layout->addLayout(actions);
  layout->addLayout(closeRow);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(closeButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::Close); });
  connect(killButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::KillProcess); });
  connect(deleteButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::DeleteProgramFile); });
  connect(openFolderButton, &QPushButton::clicked, this,
          [this] { Run(&protection::AlertModel::OpenContainingFolder); });
  connect(excludeButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::AddToExcludeList); });
  connect(moreInfoButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::MoreInfo); });
  connect(removeStartupButton, &QPushButton::clicked, this, [this] { Run(&protection::AlertModel::RemoveStartup); });
  connect(urlLabel1, &QLabel::linkActivated, this, [this] { Run(&protection::AlertModel::OpenLink); });
}

void AlertWindow::Refresh(protection::AlertModel& alert) {
  alert_ = &alert;
  const protection::AlertFields& f = alert.Fields();
  label1->setText(QString::fromStdString(f.title));
  label2->setText(QString::fromStdString(f.nameLine));
  label3->setText(QString::fromStdString(f.location));
  label5->setText(QString::fromStdString(f.identifier));
  scandiaDesc->setPlainText(DialogText(f.description));
  QString link = QString::fromStdString(f.link).toHtmlEscaped();
  urlLabel1->setText(link.isEmpty() ? QString() : "<a href=\"link\">" + link + "</a>");
  killButton->setEnabled(alert.KillEnabled());
  deleteButton->setEnabled(alert.DeleteEnabled());
  removeStartupButton->setVisible(alert.RemoveStartupVisible());
  removeStartupButton->raise();
  adjustSize();
  // Centred when it appears; an open alert stays where the user put it.
  if (!isVisible())
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
}

void AlertWindow::Run(void (protection::AlertModel::*action)()) {
  if (!alert_) return;
  protection::AlertModel& alert = *alert_;
  (alert.*action)();
  if (isVisible()) {
    killButton->setEnabled(alert.KillEnabled());
    deleteButton->setEnabled(alert.DeleteEnabled());
    removeStartupButton->setVisible(alert.RemoveStartupVisible());
  }
}

void AlertWindow::RestoreOnScreen() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void AlertWindow::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized)) return;
  // After the state change has been delivered, not inside it.
  QTimer::singleShot(0, this, [this] {
    if (isVisible() && (windowState() & Qt::WindowMinimized)) RestoreOnScreen();
  });
}

void AlertWindow::closeEvent(QCloseEvent* event) {
  // Closed only through its buttons (which end the showing themselves).
  event->ignore();
}

}  // namespace vz::ui::qt
