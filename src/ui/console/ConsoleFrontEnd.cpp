#include "ui/console/ConsoleFrontEnd.h"

#include "app/Shield.h"
#include "platform/SingleInstance.h"

namespace vz::ui::console {

class ConsoleFrontEnd::Pump final : public EventPump {
 public:
  explicit Pump(platform::EventLoop& loop) : loop_(loop) {}
  void ProcessPendingEvents() override { loop_.ProcessPending(); }

 private:
  platform::EventLoop& loop_;
};

class ConsoleFrontEnd::Dispatcher final : public UiDispatcher {
 public:
  explicit Dispatcher(platform::EventLoop& loop) : loop_(loop) {}
  bool RunAndWait(const std::function<void()>& function) override { return loop_.RunOnLoopAndWait(function); }
  bool Post(std::function<void()> function) override { return loop_.PostToLoop(std::move(function)); }

 private:
  platform::EventLoop& loop_;
};

class ConsoleFrontEnd::LoopTimers final : public TimerFactory {
 public:
  explicit LoopTimers(platform::EventLoop& loop) : loop_(loop) {}

  class LoopTimer final : public Timer {
   public:
    LoopTimer(platform::EventLoop& loop, int interval, std::function<void()> callback)
        : loop_(loop), interval_(interval), id_(loop.AddTimer(interval, std::move(callback))) {}
    ~LoopTimer() override { loop_.RemoveTimer(id_); }
    void Start() override { loop_.StartTimer(id_); }
    void Stop() override { loop_.StopTimer(id_); }
    bool IsRunning() const override { return loop_.TimerRunning(id_); }
    int IntervalMs() const override { return interval_; }

   private:
    platform::EventLoop& loop_;
    int interval_;
    platform::EventLoop::TimerId id_;
  };

  std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimeout) override {
    return std::make_unique<LoopTimer>(loop_, intervalMs, std::move(onTimeout));
  }

 private:
  platform::EventLoop& loop_;
};

ConsoleFrontEnd::ConsoleFrontEnd(const app::CommandLine& commandLine)
    : commandLine_(commandLine),
      termination_(platform::WatchTerminationSignals()),
      loop_(platform::CreateEventLoop()),
      in_(),
      input_(in_, loop_.get(), termination_.get()),
      dialogs_(out_, input_, commandLine.answer),
      mainWindow_(out_),
      alertView_(out_, input_, commandLine.onAlert) {
  loop_->QuitOn(*termination_);
  pump_ = std::make_unique<Pump>(*loop_);
  dispatcher_ = std::make_unique<Dispatcher>(*loop_);
  timers_ = std::make_unique<LoopTimers>(*loop_);
  browser_ = std::make_unique<TerminalBrowser>(out_, *timers_);
  printer_ = std::make_unique<ProcessListPrinter>(out_, commandLine.quiet);
}

ConsoleFrontEnd::~ConsoleFrontEnd() = default;

ui::Ports ConsoleFrontEnd::Ports() {
  return ui::Ports{&dialogs_, &mainWindow_, &alertView_, pump_.get(), dispatcher_.get(), browser_.get(), timers_.get(), &download_};
}

void ConsoleFrontEnd::AttachShield(app::Shield& shield) {
  shield_ = &shield;
  startupCommands_ = std::make_unique<StartupCommands>(out_, shield.Startup(), shield.StartupScan());
  shield.Log().SetOnWritten([this](const std::string& entry) {
    mainWindow_.FlushStatus();
    out_.Line(entry);
  });
  shield.SetOnRoadsChanged([this](const std::string& roads) {
    mainWindow_.FlushStatus();
    out_.Line("  status | new processes: " + roads);
  });
  shield.Processes().SetOnRebuilt([this](const inventory::ProcessTable& table) { printer_->Rebuilt(table); });
  // Status changes are printed a quarter second after the first of them, so a
  // burst of changes makes one line per panel; an idle shield never wakes for it.
  flushTimer_ = loop_->AddTimer(250, [this] {
    loop_->StopTimer(flushTimer_);
    mainWindow_.FlushStatus();
  });
  mainWindow_.SetOnStatusChanged([this] {
    if (!loop_->TimerRunning(flushTimer_)) loop_->StartTimer(flushTimer_);
  });
  if (in_.Interactive()) {
    // Lines typed while a question or alert was open and left over when it
    // closed run as commands once the loop is back.
    typedAheadTimer_ = loop_->AddTimer(0, [this] {
      loop_->StopTimer(typedAheadTimer_);
      RunTypedCommands();
    });
    input_.SetOnReleased([this] {
      if (in_.HasBufferedLine()) loop_->StartTimer(typedAheadTimer_);
    });
    loop_->Watch(in_.WaitHandle(), [this] { RunTypedCommands(); });
  }
  out_.Line("Orvane Vazeru is watching this machine. Type h for the commands, q to exit.");
}

void ConsoleFrontEnd::PrintHelp() {
  out_.Line("  commands: l      list the processes again");
  out_.Line("            i PID  details of a process");
  out_.Line("            k PID  end a process (asks first)");
  out_.Line("            t      list the startup entries (row, name, command, hive)");
  out_.Line("            t check  check every startup entry");
  out_.Line("            t rm ROW remove a startup entry (asks first)");
  out_.Line("            s      show the status panels, the system watch and the process statistics");
  out_.Line("            m      show the log of started processes");
  out_.Line("            w      show the main window (as the tray's \"Show Vazeru\")");
  out_.Line("            u      fetch new data now (as \"Run update now\"); a aborts it");
  out_.Line("            q      exit (as the tray's \"Exit Vazeru\")");
}

bool ConsoleFrontEnd::SelectProcess(const std::string& argument) {
  std::string pid = argument;
  while (!pid.empty() && pid.front() == ' ') pid.erase(0, 1);
  while (!pid.empty() && pid.back() == ' ') pid.pop_back();
  const inventory::ProcessTable& table = shield_->Processes().Table();
  for (int i = 0; i < table.RowCount(); ++i) {
    if (!pid.empty() && table.Row(i).identifier == pid) {
      shield_->Processes().Select(i);
      return true;
    }
  }
  out_.Line("  no process with the identifier '" + pid + "' in the list (l lists them)");
  return false;
}

void ConsoleFrontEnd::PrintDetails() {
  shield_->Details().ShowProcessDetails();
  const protection::ProcessDetails& d = shield_->Details().Details();
  out_.Line("  " + d.desc1 + "  (" + d.desc2 + ")");
  out_.Line("  Priority : " + d.desc3 + "    " + d.desc4);
  out_.Line("  Path : " + d.desc5);
  std::string description = d.desc10;
  for (char& c : description)
    if (c == '\r') c = ' ';
  size_t start = 0;
  while (start < description.size()) {
    size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    std::string part = description.substr(start, end - start);
    if (part.find_first_not_of(' ') != std::string::npos) out_.Line("  " + part);
    start = end + 1;
  }
  if (!d.urlen.empty()) out_.Line("  More info : " + d.urlen);
}

void ConsoleFrontEnd::PrintSystemWatch() {
  const watch::CpuWatch& cpu = shield_->Cpu();
  const watch::ProcessStatistics& statistics = shield_->Statistics();
  out_.Line("  System Watch | CPU " + std::to_string(cpu.Current()) + " %, Average CPU Usage " +
            std::to_string(cpu.Average()) + " %");
  out_.Line("  Process statistics | Latest start : " + statistics.LatestStart());
  out_.Line("  Process statistics | Process changes : " + statistics.ProcessChanges() + ", Last minute : " +
            statistics.LastMinute() + ", Last 15 minutes : " + statistics.Last15Minutes());
}

void ConsoleFrontEnd::PrintStartLog() {
  const std::vector<std::string>& lines = shield_->Statistics().StartLog();
  out_.Line("  Logging of started process (" + std::to_string(lines.size()) + ")");
  for (const std::string& line : lines) out_.Line("  " + line);
}

void ConsoleFrontEnd::RunTypedCommands() {
  // While a question or alert is open the input is its alone; this also runs
  // when one of them lets events run in the middle of an action.
  while (auto line = input_.NextCommand()) HandleCommand(*line);
  if (in_.Ended()) loop_->Unwatch(in_.WaitHandle());
}

void ConsoleFrontEnd::HandleCommand(const std::string& line) {
  std::string command = line;
  while (!command.empty() && command.front() == ' ') command.erase(0, 1);
  if (command.empty() || !shield_) return;
  switch (command[0]) {
    case 'l': printer_->PrintAll(shield_->Processes().Table()); break;
    case 'i':
      if (SelectProcess(command.substr(1))) PrintDetails();
      break;
    case 'k':
      if (SelectProcess(command.substr(1))) shield_->Termination().KillProcessCommand();
      break;
    case 's':
      for (int i = 0; i < MainWindowView::kStatusPanelCount; ++i) out_.Line("  status | " + mainWindow_.StatusPanel(i));
      PrintSystemWatch();
      break;
    case 't': startupCommands_->Run(command.substr(1)); break;
    case 'm': PrintStartLog(); break;
    case 'w': shield_->ShowVazeru(); break;
    case 'u': RunUpdate(); break;
    case 'a': shield_->Downloader().Abort(); break;
    case 'q': shield_->ExitVazeru(); break;
    case 'h':
    case '?': PrintHelp(); break;
    default: out_.Line("  unknown command '" + command + "' (h for help)"); break;
  }
}

// "Run update now" with the window's "Check for updates now" at once (nobody
// can click in a terminal), then the command's restart rule for what it brought.
void ConsoleFrontEnd::RunUpdate() {
  update::UpdateDownloader& downloader = shield_->Downloader();
  if (downloader.Running()) {
    out_.Line("  download | a download is under way (a aborts it)");
    return;
  }
  shield_->RunUpdateNow();
  if (loop_->QuitRequested()) return;
  downloader.CheckForUpdatesNow();
  if (loop_->QuitRequested()) return;
  if (downloader.NewDataDownloaded())
    shield_->RunUpdateNow();
  else
    downloader.CloseDialog();
}

int ConsoleFrontEnd::RunMessageLoop() {
  int code = loop_->Run();
  mainWindow_.FlushStatus();
  out_.Line("Orvane Vazeru has ended.");
  return code;
}

void ConsoleFrontEnd::Terminate() { loop_->Quit(0); }

void ConsoleFrontEnd::WatchActivation(platform::ActivationListener& listener, std::function<void()> onActivate) {
  if (!listener.WaitHandle().IsValid()) return;
  loop_->Watch(listener.WaitHandle(), [this, &listener, onActivate] {
    int count = listener.AcceptPending();
    for (int i = 0; i < count; ++i) {
      out_.Line("  window | another start of Orvane Vazeru asked for this one");
      onActivate();
    }
  });
}

}  // namespace vz::ui::console
