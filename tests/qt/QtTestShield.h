#pragma once
// A shield with the Qt front end in a temporary program folder: packed lists,
// a registry in temporary hive files, in-memory processes, scripted message
// boxes and a recording browser (nothing is opened for real), or the
// desktop's own opener where a test asks for it.
#include <QAction>
#include <QCoreApplication>
#include <memory>

#include "app/Shield.h"
#include "platform/AppFolder.h"
#include "platform/testing/FakeCpuTimes.h"
#include "platform/testing/FakeProcesses.h"
#include "platform/testing/ScriptedExecGuard.h"
#include "support/TestSupport.h"
#include "ui/qt/QtFrontEnd.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/TrayIcon.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::qttest {

inline const char* kKnownList =
    "Y\tBash shell\tbash\tThe GNU shell\r\n"
    "\t\t\tIt reads commands\r\n"
    "\t\t\t(\"http://example.com/bash\") Manual\r\n"
    "Y\tInit\tinit\tThe first process\r\n";

class QtTestShield {
 public:
  // realProcesses: the machine's processes instead of the in-memory ones;
  // desktopOpener: the front end's own opener instead of the recording browser;
  // otherRegistry: a registry of the test's instead of the temporary hive files.
  explicit QtTestShield(ui::qt::QtFrontEnd::TrayMode tray = ui::qt::QtFrontEnd::TrayMode::Available,
                        platform::ProcessPlatform* realProcesses = nullptr, bool desktopOpener = false,
                        platform::RegistryStore* otherRegistry = nullptr)
      : front_(ui::qt::QtFrontEnd::Options{&dialogs, desktopOpener ? nullptr : &browser, tray, nullptr, {}}) {
    platform::SetAppFolderOverride(app.path());
    testsupport::PackArchive(app.file("Proc1.pck"), "Proclist_noharm.txt", kKnownList);
    testsupport::PackArchive(app.file("Proc2.pck"), "Proclist.txt", "X\tTest Spy\tvz-qtspy\tWatches you\r\n");
    testsupport::PackArchive(app.file("Proc4.pck"), "Special.txt", "nothing-special\tSYSTEM32\r\n");
    registry = testsupport::OpenTestRegistry(registryDir);
    app::ShieldServices services{realProcesses ? *realProcesses : processes,
                                 otherRegistry ? *otherRegistry : *registry,
                                 platform::LinuxPathConventions(),
                                 platform::SystemClock(),
                                 /*http=*/nullptr,
                                 /*logSink=*/nullptr,
                                 &cpuTimes};
    services.execGuard = &execGuard;
    shield = std::make_unique<app::Shield>(front_.Ports(), services, app::CommandLine{}, [this] { front_.Terminate(); });
    shield->CreateWindows();
    front_.AttachShield(*shield);
  }
  ~QtTestShield() {
    shield.reset();
    platform::SetAppFolderOverride("");
  }

  ui::qt::QtFrontEnd& Front() { return front_; }
  ui::qt::MainWindow& Window() { return front_.View().Window(); }
  QAction* TrayAction(app::TrayCommand command) { return front_.View().Tray().Action(command); }
  // The first tick: the start-up phase loads the lists.
  void StartUp() { shield->Cycle().Tick(); }
  // The start-up phase, the first list of processes and the main window shown.
  void StartUpAndShow() {
    StartUp();
    shield->Cycle().Tick();
    shield->ShowVazeru();
  }
  static void Pump() { QCoreApplication::processEvents(); }

  testsupport::TempDir app, registryDir;
  platform::testing::FakeProcesses processes;
  platform::testing::FakeCpuTimes cpuTimes;
  platform::testing::ScriptedExecGuard execGuard;  // accepts unless given a refusal
  ui::scripted::ScriptedDialogs dialogs;
  ui::scripted::RecordingBrowser browser;
  std::unique_ptr<platform::RegistryStore> registry;

 private:
  ui::qt::QtFrontEnd front_;

 public:
  std::unique_ptr<app::Shield> shield;
};

}  // namespace vz::qttest
