#pragma once
// The "Options & Info" page: the "Vazeru Options" buttons, the live
// options, the program and data file information and the "Important Info"
// section with its links. Every click goes to the main window model.
#include <QWidget>
#include <map>

#include "app/MainWindowModel.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace vz::ui::qt {

class OptionsPage final : public QWidget {
  Q_OBJECT
 public:
  explicit OptionsPage(QWidget* parent = nullptr);
  void Bind(app::MainWindowModel* model) { model_ = model; }

  void SetOptionChecked(LiveOption option, bool checked);
  void SetOptionEnabled(LiveOption option, bool enabled);
  void SetProgramInfo(const ProgramInfo& info);
  void SetInfoLabel(const std::string& text);

  QCheckBox* Option(LiveOption option) const { return options_.at(option); }
  QPushButton* Button(app::OptionsButton button) const { return buttons_.at(button); }
  QLabel* programLabel;
  QLabel* spywareDateLabel;
  QLabel* programsDateLabel;
  QLabel* knownSpywareLabel;
  QLabel* knownProgramsLabel;
  QLabel* infoLabel;

 private:
  QWidget* MakeGlobalOptions();
  QWidget* MakeGeneralOptions();
  QWidget* MakeProgramInfo();
  QWidget* MakeImportantInfo();
  QLabel* Link(const QString& caption, app::WebLink link);

  app::MainWindowModel* model_ = nullptr;
  std::map<LiveOption, QCheckBox*> options_;
  std::map<app::OptionsButton, QPushButton*> buttons_;
};

}  // namespace vz::ui::qt
