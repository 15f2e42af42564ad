#include "ui/qt/ProcessPage.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/qt/DetailsPanel.h"

namespace vz::ui::qt {

ProcessPage::ProcessPage(QWidget* parent) : QWidget(parent) {
  taskList = new QListWidget(this);
  taskList->setObjectName("TaskList");
  taskList->setProperty("hint", "Running processes. Click one for its details; F5 refreshes the list.");
  taskList->setContextMenuPolicy(Qt::CustomContextMenu);
  taskList->setMinimumWidth(190);
  details = new DetailsPanel(this);
  logList = new QListWidget(this);
  logList->setObjectName("LogList");
  // The log keeps its size whatever the details above it show.
  logList->setFixedHeight(kLogHeight);

  taskMenu = new QMenu(this);
  QAction* moreInfo = taskMenu->addAction("More Info (Internet search)");
  QAction* kill = taskMenu->addAction("Kill Process");

  auto* top = new QHBoxLayout;
  auto* listColumn = new QVBoxLayout;
  listColumn->addWidget(new QLabel("Running processes", this));
  listColumn->addWidget(taskList);
  top->addLayout(listColumn, 2);
  top->addWidget(details, 3);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->addLayout(top, 1);
  page->addWidget(new QLabel("Shield log", this));
  page->addWidget(logList);

  // Only a selection the user makes counts: the current row alone (which the
  // list sets to the first line when it gets the focus) selects nothing.
  connect(taskList, &QListWidget::itemSelectionChanged, this, [this] { LineSelected(SelectedRow()); });
  connect(taskList, &QListWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { taskMenu->popup(taskList->viewport()->mapToGlobal(at)); });
  connect(moreInfo, &QAction::triggered, this, [this] {
    if (details_) details_->MoreInfo();
  });
  connect(kill, &QAction::triggered, this, [this] {
    if (details_) details_->KillProcess();
  });
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), taskList, nullptr, nullptr, Qt::WidgetShortcut);
  connect(refresh, &QShortcut::activated, this, [this] {
    if (model_) model_->RefreshProcessList();
  });
}

void ProcessPage::Bind(app::MainWindowModel& model, inventory::ProcessList& list,
                       protection::ProcessDetailsPanel& details) {
  model_ = &model;
  list_ = &list;
  details_ = &details;
  this->details->Bind(details);
}

void ProcessPage::Unbind() {
  model_ = nullptr;
  list_ = nullptr;
  details_ = nullptr;
  details->Unbind();
}

void ProcessPage::LineSelected(int row) {
  if (!list_ || !details_) return;
  list_->Select(row);
  details_->ShowProcessDetails();
}

int ProcessPage::SelectedRow() const {
  QList<QListWidgetItem*> items = taskList->selectedItems();
  return items.isEmpty() ? -1 : taskList->row(items.first());
}

void ProcessPage::SetProcessList(const std::vector<std::string>& names, int selected) {
  QSignalBlocker block(taskList);
  int scroll = taskList->verticalScrollBar()->value();
  taskList->clear();
  for (const auto& name : names) taskList->addItem(QString::fromStdString(name));
  if (selected >= 0)
    taskList->setCurrentRow(selected);
  else
    taskList->clearSelection();
  taskList->verticalScrollBar()->setValue(scroll);
}

void ProcessPage::SetShieldLog(const std::vector<std::string>& entries) {
  logList->clear();
  for (const auto& entry : entries) logList->addItem(QString::fromStdString(entry));
}

}  // namespace vz::ui::qt
