#include "ui/qt/DownloadWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/qt/ShieldIcon.h"

namespace vz::ui::qt {

namespace {

// The gauge counts in steps of at most this many, so that files past 2 GiB
// (which QProgressBar's int cannot hold) still show their progress.
int GaugeSteps(std::int64_t value, std::int64_t maximum) {
  if (maximum <= 0 || value <= 0) return 0;
  if (value >= maximum) return 10000;
  return static_cast<int>(value * 10000 / maximum);
}

}  // namespace

DownloadWindow::DownloadWindow() {
  setObjectName("HTTPDown");
  setWindowTitle("Download Updates");
  // A fixed dialog frame without system buttons: the window has its own close button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(kWidth, kCollapsedHeight);

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  picture = new QLabel(this);
  picture->setObjectName("Picture");
  picture->setPixmap(ShieldIcon().pixmap(48, 48));
  picture->setToolTip("Check for updates");
  picture->setCursor(Qt::PointingHandCursor);
  picture->installEventFilter(this);
  top->addWidget(picture);
  auto* middle = new QVBoxLayout;
  status = new QLabel(update::kStatusReady, this);
  status->setObjectName("Status");
  QFont bold = status->font();
  bold.setBold(true);
  status->setFont(bold);
  middle->addWidget(status);
  gauge = new QProgressBar(this);
  gauge->setObjectName("Gauge");
  gauge->setRange(0, 10000);
  gauge->setValue(0);
  gauge->setTextVisible(false);
  middle->addWidget(gauge);
  checkLink = new QLabel("<a href=\"check\">Check for updates now</a>", this);
  checkLink->setObjectName("CheckLink");
  checkLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  middle->addWidget(checkLink);
  top->addLayout(middle, 1);
  closeButton = new QToolButton(this);
  closeButton->setObjectName("CloseButton");
  closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  closeButton->setToolTip("Close");
  top->addWidget(closeButton, 0, Qt::AlignTop);
  layout->addLayout(top);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  abortButton = new QPushButton("Abort", this);
  abortButton->setObjectName("AbortButton");
  viewLogButton = new QPushButton("View Log", this);
  viewLogButton->setObjectName("ViewLogButton");
  buttons->addWidget(abortButton);
  buttons->addWidget(viewLogButton);
  layout->addLayout(buttons);

  detailedLog = new QPlainTextEdit(this);
  detailedLog->setObjectName("DetailedLog");
  detailedLog->setReadOnly(true);
  detailedLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  detailedLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  detailedLog->hide();
  layout->addWidget(detailedLog, 1);
  restoreButton = new QToolButton(this);
  restoreButton->setObjectName("RestoreButton");
  restoreButton->setArrowType(Qt::UpArrow);
  restoreButton->setToolTip("Hide the log");
  restoreButton->hide();
  layout->addWidget(restoreButton, 0, Qt::AlignRight);

  connect(checkLink, &QLabel::linkActivated, this, [this] { Forward([](auto& d) { d.CheckForUpdatesNow(); }); });
  connect(abortButton, &QPushButton::clicked, this, [this] { Forward([](auto& d) { d.Abort(); }); });
  connect(viewLogButton, &QPushButton::clicked, this, [this] { Forward([](auto& d) { d.ViewLog(); }); });
  connect(restoreButton, &QToolButton::clicked, this, [this] { Forward([](auto& d) { d.RestoreLog(); }); });
  connect(closeButton, &QToolButton::clicked, this, [this] { Forward([](auto& d) { d.CloseButton(); }); });
}

template <typename Action>
void DownloadWindow::Forward(Action action) {
  if (downloader_) action(*downloader_);
}

void DownloadWindow::SetLogExpanded(bool expanded) {
  int height = kCollapsedHeight + (expanded ? kLogHeight : 0);
  setFixedSize(kWidth, height);
  detailedLog->setVisible(expanded);
  restoreButton->setVisible(expanded);
  viewLogButton->setEnabled(!expanded);
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
  // Any close request (the desktop's, Escape) is the close button's.
  event->ignore();
  Forward([](auto& d) { d.CloseButton(); });
}

void DownloadWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Forward([](auto& d) { d.CloseButton(); });
    return;
  }
  QDialog::keyPressEvent(event);
}

bool DownloadWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture && event->type() == QEvent::MouseButtonRelease) {
    Forward([](auto& d) { d.CheckForUpdatesNow(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

QtDownloadView::QtDownloadView() = default;
QtDownloadView::~QtDownloadView() = default;

DownloadWindow& QtDownloadView::Window() {
  if (!window_) {
    window_ = std::make_unique<DownloadWindow>();
    window_->Bind(downloader_);
  }
  return *window_;
}

void QtDownloadView::Bind(update::UpdateDownloader* downloader) {
  downloader_ = downloader;
  if (window_) window_->Bind(downloader);
}

void QtDownloadView::ShowDialog() {
  DownloadWindow& w = Window();
  // Centred on the main window when it is on screen, else on the screen.
  QRect around = mainWindow_ && mainWindow_->isVisible() ? mainWindow_->geometry() : QRect();
  if (around.isNull())
    if (QScreen* screen = QGuiApplication::primaryScreen()) around = screen->availableGeometry();
  if (!around.isNull()) w.move(around.center() - QPoint(w.width() / 2, w.height() / 2));
  w.show();
  w.raise();
}

void QtDownloadView::CloseDialog() {
  if (window_) window_->hide();
}

bool QtDownloadView::IsDialogShowing() const { return window_ && window_->isVisible(); }

void QtDownloadView::SetStatus(const std::string& text) { Window().status->setText(QString::fromStdString(text)); }

void QtDownloadView::SetGauge(std::int64_t position, std::int64_t maximum) {
  Window().gauge->setValue(GaugeSteps(position, maximum));
}

void QtDownloadView::AddLogEntry(const std::string& entry) {
  QPlainTextEdit* log = Window().detailedLog;
  QTextCursor cursor(log->document());
  cursor.movePosition(QTextCursor::Start);
  cursor.insertText(QString::fromStdString(entry) + (log->document()->isEmpty() ? "" : "\n"));
}

void QtDownloadView::SetLogExpanded(bool expanded) { Window().SetLogExpanded(expanded); }

}  // namespace vz::ui::qt
