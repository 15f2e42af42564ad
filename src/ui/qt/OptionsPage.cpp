#include "ui/qt/OptionsPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

namespace vz::ui::qt {

namespace {

struct OptionText {
  LiveOption option;
  const char* name;
  const char* caption;
  const char* hint;
};

// The live options with their control names and their explanatory hints.
const OptionText kOptions[] = {
    {LiveOption::LiveScanProcesses, "LivescanCheck", "Live Scan Process's", app::kLiveScanInfoText},
    {LiveOption::LiveScanStartups, "Livestartup", "Live Scan Startups",
     "Examines the programs started with the system every 5 seconds"},
    {LiveOption::LiveBrowserProtection, "LiveIE", "Live IE proctection",
     "Watches the browser's start and search pages and the location of the HOSTS file"},
    {LiveOption::ShowCpuWatch, "ShowCPU", "Show CPU watch", "Shows the System Watch panel with the CPU load"},
    {LiveOption::ShowProcessStatistics, "showProcess", "Show process statistic",
     "Shows the Process statistics panel and collects its figures"},
    {LiveOption::BlockKnownSpyware, "BlockSpyware", "Block known spyware",
     "Refuses to start a program listed as spyware that is not a known program (needs administrator rights)"},
};

struct ButtonText {
  app::OptionsButton button;
  const char* name;
  const char* caption;
  const char* hint;
};

const ButtonText kButtons[] = {
    {app::OptionsButton::StartOnSystemStartup, "BTNStartup", "Start shield on system startup",
     "Starts the shield for every user when the desktop starts"},
    {app::OptionsButton::RemoveFromSystemStartup, "BTNRemoveStartup", "Remove Vazeru from system startup",
     "The shield no longer starts with the desktop"},
    {app::OptionsButton::ViewDownloadLog, "BTNDownloadLog", "View Schedule/Download Log",
     "View Internet Download Log from previous run. Schedules are configuered from Orvane Admin"},
    {app::OptionsButton::RunUpdateNow, "BTNRunUpdate", "Run update now", "Fetches new spyware data now"},
    {app::OptionsButton::ViewShieldLog, "BTNShieldLog", "View shield log", "Shows the shield log of the previous run"},
};

}  // namespace

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(MakeGlobalOptions(), 0, 0);
  grid->addWidget(MakeGeneralOptions(), 0, 1);
  grid->addWidget(MakeProgramInfo(), 1, 0);
  grid->addWidget(MakeImportantInfo(), 1, 1);
  grid->setRowStretch(2, 1);
}

QWidget* OptionsPage::MakeGlobalOptions() {
  auto* global = new QGroupBox("Global Options", this);
  auto* vazeru = new QGroupBox("Vazeru Options", global);
  auto* buttons = new QVBoxLayout(vazeru);
  for (const ButtonText& b : kButtons) {
    auto* button = new QPushButton(b.caption, vazeru);
    button->setObjectName(b.name);
    button->setProperty("hint", b.hint);
    button->setEnabled(app::OptionsButtonAvailable(b.button));
    buttons->addWidget(button);
    buttons_[b.button] = button;
  }
  auto* layout = new QVBoxLayout(global);
  layout->addWidget(vazeru);

  auto forward = [this](app::OptionsButton which, std::function<void(app::MainWindowModel&)> action) {
    connect(buttons_[which], &QPushButton::clicked, this, [this, action] {
      if (model_) action(*model_);
    });
  };
  forward(app::OptionsButton::StartOnSystemStartup, [](app::MainWindowModel& m) { m.Autostart().StartOnSystemStartup(); });
  forward(app::OptionsButton::RemoveFromSystemStartup,
          [](app::MainWindowModel& m) { m.Autostart().RemoveFromSystemStartup(); });
  forward(app::OptionsButton::RunUpdateNow, [](app::MainWindowModel& m) { m.RunUpdateNow(); });
  forward(app::OptionsButton::ViewShieldLog, [](app::MainWindowModel& m) { m.Launch().ViewShieldLog(); });
  forward(app::OptionsButton::ViewDownloadLog, [](app::MainWindowModel& m) { m.Launch().ViewDownloadLog(); });
  return global;
}

QWidget* OptionsPage::MakeGeneralOptions() {
  auto* general = new QGroupBox("General Options", this);
  auto* layout = new QVBoxLayout(general);
  for (const OptionText& o : kOptions) {
    auto* box = new QCheckBox(o.caption, general);
    box->setObjectName(o.name);
    box->setProperty("hint", o.hint);
    box->setChecked(o.option != LiveOption::BlockKnownSpyware);
    layout->addWidget(box);
    options_[o.option] = box;
    LiveOption option = o.option;
    connect(box, &QCheckBox::clicked, this, [this, option](bool checked) {
      if (model_) model_->Switches().OptionClicked(option, checked);
    });
  }
  layout->addStretch();
  return general;
}

QWidget* OptionsPage::MakeProgramInfo() {
  auto* box = new QGroupBox("Program information", this);
  auto* form = new QFormLayout(box);
  programLabel = new QLabel(box);
  spywareDateLabel = new QLabel(box);
  programsDateLabel = new QLabel(box);
  knownSpywareLabel = new QLabel(box);
  knownProgramsLabel = new QLabel(box);
  form->addRow("Program :", programLabel);
  form->addRow("Spyware data :", spywareDateLabel);
  form->addRow("Programs data :", programsDateLabel);
  form->addRow(knownSpywareLabel);
  form->addRow(knownProgramsLabel);
  return box;
}

QLabel* OptionsPage::Link(const QString& caption, app::WebLink link) {
  auto* label = new QLabel("<a href=\"link\">" + caption.toHtmlEscaped() + "</a>", this);
  label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(label, &QLabel::linkActivated, this, [this, link] {
    if (model_) model_->Launch().OpenWebLink(link);
  });
  return label;
}

QWidget* OptionsPage::MakeImportantInfo() {
  auto* box = new QGroupBox("Important Info", this);
  auto* layout = new QVBoxLayout(box);
  infoLabel = new QLabel(kInfoLabelDefault, box);
  infoLabel->setObjectName("InfoLabel");
  infoLabel->setWordWrap(true);
  layout->addWidget(infoLabel);
  layout->addWidget(Link("Orvane Forum", app::WebLink::Forum));
  layout->addWidget(Link("Orvane", app::WebLink::MakerSite));
  layout->addWidget(Link("Orvane Software", app::WebLink::MakerSite));
  layout->addWidget(Link(QString::fromStdString(app::WebLinkAddress(app::WebLink::AuthorSite)), app::WebLink::AuthorSite));
  layout->addStretch();
  return box;
}

void OptionsPage::SetOptionChecked(LiveOption option, bool checked) { options_.at(option)->setChecked(checked); }

void OptionsPage::SetOptionEnabled(LiveOption option, bool enabled) { options_.at(option)->setEnabled(enabled); }

void OptionsPage::SetProgramInfo(const ProgramInfo& info) {
  programLabel->setText(QString::fromStdString(info.program));
  spywareDateLabel->setText(QString::fromStdString(info.spywareDataDate));
  programsDateLabel->setText(QString::fromStdString(info.programsDataDate));
  knownSpywareLabel->setText(QString::fromStdString(info.knownSpyware));
  knownProgramsLabel->setText(QString::fromStdString(info.knownPrograms));
}

void OptionsPage::SetInfoLabel(const std::string& text) { infoLabel->setText(QString::fromStdString(text)); }

}  // namespace vz::ui::qt
