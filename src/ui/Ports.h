#pragma once
// The set of ports one front end provides to the core.
#include "ui/AlertView.h"
#include "ui/Browser.h"
#include "ui/Dialogs.h"
#include "ui/DownloadView.h"
#include "ui/EventPump.h"
#include "ui/MainWindowView.h"
#include "ui/Timer.h"
#include "ui/UiDispatcher.h"

namespace vz::ui {

struct Ports {
  Dialogs* dialogs = nullptr;
  MainWindowView* mainWindow = nullptr;
  AlertView* alert = nullptr;
  EventPump* events = nullptr;
  UiDispatcher* dispatcher = nullptr;
  Browser* browser = nullptr;
  TimerFactory* timers = nullptr;
  DownloadView* download = nullptr;  // none: the downloader shows nothing
};

}  // namespace vz::ui
