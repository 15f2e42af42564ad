#include "ui/qt/StartLogWindow.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vz::ui::qt {

StartLogWindow::StartLogWindow(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("Form3");
  setWindowTitle("Logging of started process");
  setFixedSize(kWidth, kHeight);
  closeButton = new QToolButton(this);
  closeButton->setObjectName("CloseButton");
  closeButton->setText("X");
  closeButton->setAutoRaise(true);
  connect(closeButton, &QToolButton::clicked, this, &QWidget::hide);
  list = new QListWidget(this);
  list->setObjectName("StartLogList");
  auto* top = new QHBoxLayout;
  top->addStretch();
  top->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(top);
  layout->addWidget(list, 1);
}

void StartLogWindow::AddLine(const std::string& line) { list->addItem(QString::fromStdString(line)); }

void StartLogWindow::ShowCentredOn(const QWidget& over) {
  // Placed once shown, when its frame's size is known.
  show();
  QRect frame = over.frameGeometry();
  QRect own = frameGeometry();
  move(frame.topLeft() + QPoint((frame.width() - own.width()) / 2, (frame.height() - own.height()) / 2));
  raise();
  activateWindow();
}

}  // namespace vz::ui::qt
