#include "ui/qt/DetailsPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "ui/qt/QtDialogs.h"

namespace vz::ui::qt {

namespace {

// A label of fixed height (lines of its font): what it shows never moves the
// rest of the page. Text wider than the panel is cut, not allowed to widen it.
QLabel* NamedLabel(const char* name, QWidget* parent, int lines = 1) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(lines > 1);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  label->setFixedHeight(label->fontMetrics().lineSpacing() * lines + 2);
  return label;
}

QPushButton* NamedButton(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setVisible(false);  // until a selection shows it
  // Hidden, it keeps its place: showing it does not shift the panel.
  QSizePolicy policy = button->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  button->setSizePolicy(policy);
  return button;
}

}  // namespace

DetailsPanel::DetailsPanel(QWidget* parent) : QGroupBox("Process details", parent) {
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  desc1 = NamedLabel("Desc1", this);
  desc1->setFont(bold);
  desc1->setFixedHeight(QFontMetrics(bold).lineSpacing() + 2);
  desc2 = NamedLabel("desc2", this);
  desc3 = NamedLabel("Desc3", this);
  desc4 = NamedLabel("Desc4", this);
  // Room for a path over two lines; the whole path is in its tool tip.
  desc5 = NamedLabel("Desc5", this, 2);
  desc10 = new QTextEdit(this);
  desc10->setObjectName("desc10");
  desc10->setReadOnly(true);
  urlen = NamedLabel("URLen", this);
  urlen->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  killButton = NamedButton("BTNKillProcess", "Kill Process", this);
  moreInfoButton = NamedButton("BtnMoreinfo", "More info ...", this);
  openFolderButton = NamedButton("BTNOpencontaining", "Open Containing Folder", this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(desc1, 0, 0, 1, 2);
  grid->addWidget(new QLabel("File :", this), 1, 0);
  grid->addWidget(desc2, 1, 1);
  grid->addWidget(new QLabel("Priority :", this), 2, 0);
  grid->addWidget(desc3, 2, 1);
  grid->addWidget(desc4, 3, 0, 1, 2);
  grid->addWidget(new QLabel("Path :", this), 4, 0, Qt::AlignTop);
  grid->addWidget(desc5, 4, 1);
  grid->addWidget(desc10, 5, 0, 1, 2);
  grid->addWidget(new QLabel("More info :", this), 6, 0);
  grid->addWidget(urlen, 6, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(killButton);
  buttons->addWidget(moreInfoButton);
  buttons->addWidget(openFolderButton);
  buttons->addStretch();
  grid->addLayout(buttons, 7, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);

  connect(killButton, &QPushButton::clicked, this, [this] {
    if (panel_) panel_->KillProcess();
  });
  connect(moreInfoButton, &QPushButton::clicked, this, [this] {
    if (panel_) panel_->MoreInfo();
  });
  connect(openFolderButton, &QPushButton::clicked, this, [this] {
    if (panel_) panel_->OpenContainingFolder();
  });
  connect(urlen, &QLabel::linkActivated, this, [this] {
    if (panel_) panel_->OpenLink();
  });
}

void DetailsPanel::Bind(protection::ProcessDetailsPanel& panel) {
  panel_ = &panel;
  panel.SetOnChanged([this](const protection::ProcessDetails& details) { Show(details); });
}

void DetailsPanel::Show(const protection::ProcessDetails& d) {
  desc1->setText(QString::fromStdString(d.desc1));
  desc2->setText(QString::fromStdString(d.desc2));
  desc3->setText(QString::fromStdString(d.desc3));
  desc4->setText(QString::fromStdString(d.desc4));
  desc5->setText(QString::fromStdString(d.desc5));
  desc5->setToolTip(desc5->text());
  desc10->setPlainText(DialogText(d.desc10).trimmed());
  QString link = QString::fromStdString(d.urlen).toHtmlEscaped();
  urlen->setText(link.isEmpty() ? QString() : "<a href=\"link\">" + link + "</a>");
  killButton->setVisible(d.showKill);
  moreInfoButton->setVisible(d.showMoreInfo);
  openFolderButton->setVisible(d.showOpenFolder);
}

}  // namespace vz::ui::qt
