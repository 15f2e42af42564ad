#include "ui/qt/WatchPanels.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vz::ui::qt {

namespace {

// Labels let the mouse through, so that the hint under the cursor is the panel's.
QLabel* PanelLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
  auto* label = new QLabel(text, parent);
  if (name) label->setObjectName(name);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

SystemWatchPanel::SystemWatchPanel(QWidget* parent) : QGroupBox("System Watch", parent) {
  setObjectName("SystemWatch");
  setProperty("hint", "This watch gives you an statistics of how cpu intensive all the currently runnig process's is.");
  bar = new QProgressBar(this);
  bar->setObjectName("CPUUsageBar");
  bar->setOrientation(Qt::Vertical);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setFixedWidth(16);
  bar->setAttribute(Qt::WA_TransparentForMouseEvents);

  current = PanelLabel("0 %", this, "CPULabel");
  QFont bold = current->font();
  bold.setBold(true);
  current->setFont(bold);
  QPalette blue = current->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  current->setPalette(blue);
  average = PanelLabel("0 %", this, "CPUlabel2");
  average->setFont(bold);

  auto* values = new QVBoxLayout;
  values->addWidget(current);
  values->addStretch();
  auto* caption = PanelLabel("Average CPU Usage", this);
  caption->setWordWrap(true);
  values->addWidget(caption);
  values->addWidget(average);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(4, 4, 4, 4);
  row->addWidget(bar);
  row->addLayout(values, 1);
  setMinimumHeight(110);
}

void SystemWatchPanel::Show(int barPosition, const std::string& currentText, const std::string& averageText) {
  bar->setValue(barPosition);
  current->setText(QString::fromStdString(currentText));
  average->setText(QString::fromStdString(averageText));
}

StatisticsPanel::StatisticsPanel(QWidget* parent) : QGroupBox("Process statistics", parent) {
  setObjectName("ProcessStatistics");
  setProperty("hint",
              "This Watch show how many process changes(started stopped) has occored since program startup and in "
              "the last 15 minutes etc.");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setVerticalSpacing(1);
  grid->addWidget(PanelLabel("Latest start :", this), 0, 0, 1, 2);
  latestStart = PanelLabel("", this, "LatestStart");
  grid->addWidget(latestStart, 1, 0, 1, 2);
  processChanges = PanelLabel("0", this, "ProcessChanges");
  lastMinute = PanelLabel("0", this, "LastMinute");
  last15Minutes = PanelLabel("0", this, "Last15Minutes");
  grid->addWidget(PanelLabel("Process changes :", this), 2, 0);
  grid->addWidget(processChanges, 2, 1);
  grid->addWidget(PanelLabel("Last minute :", this), 3, 0);
  grid->addWidget(lastMinute, 3, 1);
  grid->addWidget(PanelLabel("Last 15 minutes :", this), 4, 0);
  grid->addWidget(last15Minutes, 4, 1);
  more = new QPushButton("More", this);
  more->setObjectName("MoreButton");
  more->setProperty("hint", "This will show Complete log of Process startes since startup");
  grid->addWidget(more, 5, 0, 1, 2);
  connect(more, &QPushButton::clicked, this, [this] {
    if (onMore_) onMore_();
  });
}

QLabel* StatisticsPanel::Value(StatisticsLabel label) const {
  switch (label) {
    case StatisticsLabel::LatestStart: return latestStart;
    case StatisticsLabel::ProcessChanges: return processChanges;
    case StatisticsLabel::LastMinute: return lastMinute;
    case StatisticsLabel::Last15Minutes: return last15Minutes;
  }
  return latestStart;
}

void StatisticsPanel::SetLabel(StatisticsLabel label, const std::string& text) {
  // A program name is shown as it is, never read as rich text.
  Value(label)->setTextFormat(Qt::PlainText);
  Value(label)->setText(QString::fromStdString(text));
}

}  // namespace vz::ui::qt
