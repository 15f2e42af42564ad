#pragma once
// The terminal front end: log lines, status changes and the process list are
// printed as they happen; commands are read from standard input; questions are
// answered at the prompt or by the --answer policy. SIGINT and SIGTERM end it
// as "Exit Vazeru" does, also while a question or an alert waits.
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/FrontEnd.h"
#include "platform/EventLoop.h"
#include "platform/TerminalInput.h"
#include "platform/TerminationSignals.h"
#include "ui/console/ConsoleAlertView.h"
#include "ui/console/ConsoleDialogs.h"
#include "ui/console/ConsoleDownloadView.h"
#include "ui/console/ConsoleInput.h"
#include "ui/console/ConsoleMainWindow.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/ProcessListPrinter.h"
#include "ui/console/StartupCommands.h"
#include "ui/console/TerminalBrowser.h"

namespace vz::ui::console {

class ConsoleFrontEnd final : public app::FrontEnd {
 public:
  explicit ConsoleFrontEnd(const app::CommandLine& commandLine);
  ~ConsoleFrontEnd() override;

  ui::Ports Ports() override;
  void AttachShield(app::Shield& shield) override;
  int RunMessageLoop() override;
  void Terminate() override;
  void WatchActivation(platform::ActivationListener& listener, std::function<void()> onActivate) override;

  ConsoleOutput& Output() { return out_; }

 private:
  class Pump;
  class Dispatcher;
  class LoopTimers;

  void RunTypedCommands();
  void HandleCommand(const std::string& line);
  bool SelectProcess(const std::string& argument);
  void PrintDetails();
  void PrintHelp();
  void PrintSystemWatch();
  void PrintStartLog();
  void RunUpdate();

  app::CommandLine commandLine_;
  // First, so that threads started later inherit the blocked signals.
  std::unique_ptr<platform::TerminationSignals> termination_;
  std::unique_ptr<platform::EventLoop> loop_;
  ConsoleOutput out_;
  platform::TerminalInput in_;
  ConsoleInput input_;
  ConsoleDialogs dialogs_;
  ConsoleMainWindow mainWindow_;
  ConsoleAlertView alertView_;
  ConsoleDownloadView download_{out_};
  std::unique_ptr<Pump> pump_;
  std::unique_ptr<Dispatcher> dispatcher_;
  std::unique_ptr<LoopTimers> timers_;
  std::unique_ptr<TerminalBrowser> browser_;
  std::unique_ptr<ProcessListPrinter> printer_;
  std::unique_ptr<StartupCommands> startupCommands_;
  app::Shield* shield_ = nullptr;
  platform::EventLoop::TimerId flushTimer_ = 0;
  platform::EventLoop::TimerId typedAheadTimer_ = 0;
};

}  // namespace vz::ui::console
