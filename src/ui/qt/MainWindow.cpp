#include "ui/qt/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/qt/OptionsPage.h"
#include "ui/qt/ProcessPage.h"
#include "ui/qt/ShieldIcon.h"
#include "ui/qt/StartupPage.h"
#include "ui/qt/StartLogWindow.h"
#include "ui/qt/WatchPanels.h"

namespace vz::ui::qt {

namespace {

// Page area order: one page per navigation item.
int IndexOf(Page page) {
  switch (page) {
    case Page::OptionsInfo: return 0;
    case Page::Process: return 1;
    case Page::StartupPrograms: return 2;
  }
  return 1;
}

const char* const kInitialPanels[MainWindowView::kStatusPanelCount] = {"Processes:", "Known Spyware :", "All Known :",
                                                                       "Last action", "Time"};

}  // namespace

MainWindow::MainWindow() {
  setObjectName("Form1");
  setWindowTitle("Orvane Vazeru");
  setWindowIcon(ShieldIcon());
  resize(kWidth, kHeight);
  MakeMenu();
  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(4, 4, 4, 4);
  row->addWidget(MakeToolsColumn());
  row->addWidget(MakePages(), 1);
  setCentralWidget(central);
  MakeStatusBar();
  MakeInfoPanel();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

void MainWindow::MakeMenu() {
  QMenu* options = menuBar()->addMenu("Options");
  runUpdateAction = options->addAction("Run Update");
  connect(runUpdateAction, &QAction::triggered, this, [this] {
    if (model_) model_->RunUpdateNow();
  });
  launchAdminAction = options->addAction("Launch Admin Consol");
  connect(launchAdminAction, &QAction::triggered, this, [this] {
    if (model_) model_->Launch().LaunchAdminConsole();
  });
}

QWidget* MainWindow::MakeToolsColumn() {
  toolsColumn = new QFrame(this);
  toolsColumn->setObjectName("ToolsColumn");
  toolsColumn->setFixedWidth(kToolsWidth);
  toolsColumn->installEventFilter(this);
  auto* column = new QVBoxLayout(toolsColumn);
  column->setContentsMargins(2, 2, 2, 2);
  auto* title = new QLabel("<b>Tools</b>", toolsColumn);
  column->addWidget(title);

  auto* bar = new QGroupBox("Option", toolsColumn);
  bar->setObjectName("NavigationBar");
  auto* items = new QVBoxLayout(bar);
  items->setSpacing(1);
  items->setContentsMargins(2, 2, 2, 2);
  const char* captions[4] = {"Options && Info", "Process", "Startup programs", "Help Forum Online"};
  for (int i = 0; i < 4; ++i) {
    navigation[i] = new QToolButton(bar);
    navigation[i]->setText(captions[i]);
    navigation[i]->setAutoRaise(true);
    navigation[i]->setCheckable(i < 3);
    navigation[i]->setAutoExclusive(i < 3);
    navigation[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    navigation[i]->setToolButtonStyle(Qt::ToolButtonTextOnly);
    items->addWidget(navigation[i]);
  }
  const Page targets[3] = {Page::OptionsInfo, Page::Process, Page::StartupPrograms};
  for (int i = 0; i < 3; ++i) {
    Page page = targets[i];
    connect(navigation[i], &QToolButton::clicked, this, [this, page] {
      if (model_) model_->Navigate(page);
    });
  }
  connect(navigation[3], &QToolButton::clicked, this, [this] {
    if (model_) model_->Launch().OpenWebLink(app::WebLink::Forum);
  });
  column->addWidget(bar);

  // The two watch panels; the system watch fills them.
  statisticsPanel = new StatisticsPanel(toolsColumn);
  statisticsPanel->SetOnMore([this] {
    if (statistics_) statistics_->ShowStartLog();
  });
  systemWatchPanel = new SystemWatchPanel(toolsColumn);
  column->addWidget(statisticsPanel);
  column->addStretch();
  column->addWidget(systemWatchPanel);
  return toolsColumn;
}

QWidget* MainWindow::MakePages() {
  pages = new QStackedWidget(this);
  pages->setObjectName("PageControl1");
  optionsPage = new OptionsPage(pages);
  processPage = new ProcessPage(pages);
  processPage->setEnabled(false);  // until the start-up phase has ended
  startupPage = new StartupPage(pages);
  pages->addWidget(optionsPage);
  pages->addWidget(processPage);
  pages->addWidget(startupPage);
  QCheckBox* liveScan = optionsPage->Option(LiveOption::LiveScanProcesses);
  liveScan->installEventFilter(this);
  ShowPage(Page::Process);
  return pages;
}

void MainWindow::MakeStatusBar() {
  for (int i = 0; i < MainWindowView::kStatusPanelCount; ++i) {
    auto* panel = new QLabel(kInitialPanels[i], this);
    // Sunken panels, so that where one text ends and the next begins shows.
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMargin(1);
    statusPanels[static_cast<size_t>(i)] = panel;
    statusBar()->addWidget(panel, i == 3 ? 2 : 1);
  }
  statusBar()->setObjectName("StatusBar1");
}

void MainWindow::MakeInfoPanel() {
  infoPanel = new QLabel(this);
  infoPanel->setObjectName("InfoPanel");
  infoPanel->setWordWrap(true);
  infoPanel->setFixedWidth(220);
  infoPanel->setMargin(4);
  infoPanel->setFrameShape(QFrame::Box);
  infoPanel->setAutoFillBackground(true);
  // Never the control under the cursor itself, or the hints would flicker.
  infoPanel->setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette palette = infoPanel->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
  infoPanel->setPalette(palette);
  infoPanel->hide();
}

void MainWindow::Bind(app::MainWindowModel& model, inventory::ProcessList& list,
                      protection::ProcessDetailsPanel& details, watch::ProcessStatistics& statistics) {
  model_ = &model;
  statistics_ = &statistics;
  processPage->Bind(model, list, details);
  optionsPage->Bind(&model);
}

void MainWindow::Unbind() {
  model_ = nullptr;
  statistics_ = nullptr;
  processPage->Unbind();
  optionsPage->Bind(nullptr);
  startupPage->Bind(nullptr, nullptr);
}

void MainWindow::ShowPage(Page page) {
  pages->setCurrentIndex(IndexOf(page));
  navigation[IndexOf(page)]->setChecked(true);
}

Page MainWindow::CurrentPage() const {
  switch (pages->currentIndex()) {
    case 0: return Page::OptionsInfo;
    case 2: return Page::StartupPrograms;
    default: return Page::Process;
  }
}

void MainWindow::SetPanelVisible(WatchPanel panel, bool visible) {
  QGroupBox* box = panel == WatchPanel::SystemWatch ? static_cast<QGroupBox*>(systemWatchPanel) : statisticsPanel;
  box->setVisible(visible);
}

StartLogWindow& MainWindow::StartLog() {
  if (!startLog_) startLog_ = new StartLogWindow(this);
  return *startLog_;
}

void MainWindow::ShowInfoPanel(const std::string& text, int left, int top) {
  infoPanel->setText(QString::fromStdString(text));
  infoPanel->adjustSize();
  infoPanel->move(left, top);
  infoPanel->raise();
  infoPanel->show();
}

HintProbe MainWindow::Probe() const {
  HintProbe probe;
  QPoint cursor = QCursor::pos();
  QWidget* under = QApplication::widgetAt(cursor);
  probe.found = under && under != infoPanel && (under == this || isAncestorOf(under));
  if (probe.found) {
    probe.name = under->objectName().toStdString();
    probe.hint = under->property("hint").toString().toStdString();
  }
  probe.cursorX = cursor.x();
  probe.cursorY = cursor.y();
  QRect frame = frameGeometry();
  probe.windowLeft = frame.left();
  probe.windowTop = frame.top();
  probe.windowWidth = frame.width();
  probe.clientHeight = height();
  probe.panelWidth = infoPanel->width();
  probe.panelHeight = infoPanel->height();
  return probe;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing never ends the shield: the window is hidden instead.
  event->ignore();
  if (model_)
    model_->Visibility().OnCloseRequest();
  else
    hide();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || applyingState_ || !model_) return;
  auto* change = static_cast<QWindowStateChangeEvent*>(event);
  bool nowMinimised = windowState() & Qt::WindowMinimized;
  bool wasMinimised = change->oldState() & Qt::WindowMinimized;
  // The user minimised the window: handled as the minimise system command,
  // after the state change has been delivered.
  if (nowMinimised && !wasMinimised && isVisible())
    QTimer::singleShot(0, this, [this] { model_->Visibility().OnSystemCommand(app::kSysCommandMinimize); });
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (model_) model_->Visibility().OnShown();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == toolsColumn) {
    // Entering the column draws its frame lines; leaving removes them.
    if (event->type() == QEvent::Enter) toolsColumn->setFrameShape(QFrame::StyledPanel);
    if (event->type() == QEvent::Leave) toolsColumn->setFrameShape(QFrame::NoFrame);
  } else if (model_ && watched == optionsPage->Option(LiveOption::LiveScanProcesses)) {
    auto* box = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Enter) {
      QPoint inPages = box->mapTo(pages, QPoint(0, 0));
      model_->Info().LiveScanEntered(inPages.x(), inPages.y(), pages->mapTo(this, QPoint(0, 0)).x());
    } else if (event->type() == QEvent::Leave) {
      model_->Info().LiveScanLeft();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace vz::ui::qt
