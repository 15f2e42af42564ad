#include "ui/qt/StartupPage.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vz::ui::qt {

StartupPage::StartupPage(QWidget* parent) : QWidget(parent) {
  setObjectName("StartupPage");
  startupGrid = new QTableWidget(0, 3, this);
  startupGrid->setObjectName("startupGrid");
  startupGrid->setProperty("hint", "Programs started with the desktop. Right-click an entry to check or remove it.");
  startupGrid->horizontalHeader()->hide();
  startupGrid->verticalHeader()->hide();
  startupGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  startupGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  startupGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  startupGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  startupGrid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  startupGrid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  startupGrid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  startupGrid->viewport()->installEventFilter(this);

  gridMenu = new QMenu(this);
  QAction* check = gridMenu->addAction("Check this item");
  check->setObjectName("Checkthisitem1");
  QAction* remove = gridMenu->addAction("Remove");
  remove->setObjectName("Delete1");
  QAction* refresh = gridMenu->addAction("Refresh List");
  refresh->setObjectName("RefreshList1");

  checkButton = new QPushButton("Check startup programs", this);
  checkButton->setObjectName("dxButton12");
  checkButton->setProperty("hint", "Checks every startup entry against the list of known spyware");
  refreshButton = new QPushButton("Refresh List", this);
  refreshButton->setObjectName("dxButton13");
  refreshButton->setProperty("hint", "Reads the startup entries again");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(checkButton);
  buttons->addWidget(refreshButton);
  buttons->addStretch();
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addWidget(startupGrid, 1);
  page->addLayout(buttons);

  connect(startupGrid, &QTableWidget::itemSelectionChanged, this, [this] {
    if (!list_) return;
    QList<QTableWidgetItem*> items = startupGrid->selectedItems();
    list_->SelectRow(items.isEmpty() ? -1 : items.first()->row());
  });
  connect(startupGrid, &QTableWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { gridMenu->popup(startupGrid->viewport()->mapToGlobal(at)); });
  connect(check, &QAction::triggered, this, [this] {
    if (scanner_) scanner_->CheckThisItem();
  });
  connect(remove, &QAction::triggered, this, [this] {
    if (list_) list_->RemoveStartupEntry();
  });
  auto refreshList = [this] {
    if (list_) list_->RefreshStartupList();
  };
  connect(refresh, &QAction::triggered, this, refreshList);
  connect(refreshButton, &QPushButton::clicked, this, refreshList);
  connect(checkButton, &QPushButton::clicked, this, [this] {
    if (scanner_) scanner_->CheckStartupPrograms();
  });
}

void StartupPage::Bind(startup::StartupList* list, startup::StartupScanner* scanner) {
  list_ = list;
  scanner_ = scanner;
}

bool StartupPage::eventFilter(QObject* watched, QEvent* event) {
  // Any button: the row under the pointer becomes the selected one before
  // the context menu opens.
  if (watched == startupGrid->viewport() && event->type() == QEvent::MouseButtonPress && list_) {
    const int row = startupGrid->rowAt(static_cast<QMouseEvent*>(event)->position().toPoint().y());
    if (row >= 0) list_->SelectRow(row);
  }
  return QWidget::eventFilter(watched, event);
}

void StartupPage::SetRows(const std::vector<StartupRow>& rows, int selected) {
  QSignalBlocker block(startupGrid);
  startupGrid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const StartupRow& row = rows[static_cast<size_t>(r)];
    const std::string cells[3] = {row.valueName, row.command, row.hiveTag};
    for (int c = 0; c < 3; ++c) {
      auto* item = startupGrid->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        startupGrid->setItem(r, c, item);
      }
      item->setText(QString::fromStdString(cells[c]));
    }
  }
  startupGrid->clearSelection();
  if (selected >= 0 && selected < startupGrid->rowCount()) {
    startupGrid->setCurrentCell(selected, 0);
    startupGrid->selectRow(selected);
  }
}

}  // namespace vz::ui::qt
