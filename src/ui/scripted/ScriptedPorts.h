#pragma once
// Port implementations for tests: they record what the core showed and answer
// from a script. Never linked into a program.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/Ports.h"

namespace vz::ui::scripted {

class ScriptedDialogs final : public Dialogs {
 public:
  std::vector<DialogRequest> shown;
  std::deque<DialogAnswer> answers;  // consumed in order; when empty the safe answer is given
  // Runs while a box is open, before it is answered: what the event loop of a
  // real box lets happen meanwhile (a tick of the main cycle rebuilding the list).
  std::function<void(const DialogRequest&)> whileOpen;

  DialogAnswer Show(const DialogRequest& request) override;
  bool WasShown(const std::string& textPart) const;
};

class RecordingMainWindow final : public MainWindowView {
 public:
  std::string statusPanels[kStatusPanelCount] = {"Processes:", "Known Spyware :", "All Known :", "Last action", "Time"};
  std::vector<std::string> statusHistory[kStatusPanelCount];
  bool showing = false;
  WindowState state = WindowState::Normal;
  int bringToFrontCount = 0;
  std::string caption = "Orvane Vazeru";
  bool busy = false;
  std::vector<std::string> processList;
  int processSelection = -1;
  bool processPageEnabled = true;
  std::vector<std::string> shieldLog;
  std::vector<StartupRow> startupRows;
  int startupSelection = -1;
  std::map<LiveOption, bool> options;
  bool showVazeruEnabled = false;
  std::string infoLabel = kInfoLabelDefault;
  Page page = Page::Process;
  std::map<WatchPanel, bool> panels;
  ProgramInfo programInfo;
  int programInfoUpdates = 0;
  bool trayIconVisible = false;
  std::map<LiveOption, bool> trayOptions;
  std::map<LiveOption, bool> optionsEnabled, trayOptionsEnabled;  // only what was set
  bool infoPanelVisible = false;
  std::string infoPanelText;
  int infoPanelLeft = 0, infoPanelTop = 0;
  HintProbe probe;  // what ProbeUnderCursor answers
  int cpuBar = 0;
  std::string cpuCurrent = "0 %", cpuAverage = "0 %";
  int cpuWatchUpdates = 0;
  std::map<StatisticsLabel, std::string> statistics;
  std::vector<std::string> startLog;
  int startLogShows = 0;

  void SetStatusPanel(int index, const std::string& text) override;
  void ShowWindow() override { showing = true; }
  void HideWindow() override { showing = false; }
  bool IsWindowShowing() const override { return showing; }
  void SetWindowState(WindowState s) override { state = s; }
  void BringToFront() override { ++bringToFrontCount; }
  void SetCaption(const std::string& c) override { caption = c; }
  void SetBusyCursor(bool b) override { busy = b; }
  void SetProcessList(const std::vector<std::string>& names, int selected) override {
    processList = names;
    processSelection = selected;
  }
  void SetProcessPageEnabled(bool enabled) override { processPageEnabled = enabled; }
  void SetShieldLog(const std::vector<std::string>& entries) override { shieldLog = entries; }
  void SetStartupRows(const std::vector<StartupRow>& rows, int selected) override {
    startupRows = rows;
    startupSelection = selected;
  }
  void SetOptionChecked(LiveOption option, bool checked) override { options[option] = checked; }
  void SetShowVazeruEnabled(bool enabled) override { showVazeruEnabled = enabled; }
  void SetInfoLabel(const std::string& text) override { infoLabel = text; }
  void ShowPage(Page p) override { page = p; }
  void SetPanelVisible(WatchPanel panel, bool visible) override { panels[panel] = visible; }
  void SetProgramInfo(const ProgramInfo& info) override {
    programInfo = info;
    ++programInfoUpdates;
  }
  void SetTrayIconVisible(bool visible) override { trayIconVisible = visible; }
  void SetTrayOptionChecked(LiveOption option, bool checked) override { trayOptions[option] = checked; }
  void SetOptionEnabled(LiveOption option, bool enabled) override { optionsEnabled[option] = enabled; }
  void SetTrayOptionEnabled(LiveOption option, bool enabled) override { trayOptionsEnabled[option] = enabled; }
  void ShowInfoPanel(const std::string& text, int left, int top) override {
    infoPanelVisible = true;
    infoPanelText = text;
    infoPanelLeft = left;
    infoPanelTop = top;
  }
  void HideInfoPanel() override { infoPanelVisible = false; }
  HintProbe ProbeUnderCursor() const override { return probe; }
  void SetCpuWatch(int barPosition, const std::string& current, const std::string& average) override {
    cpuBar = barPosition;
    cpuCurrent = current;
    cpuAverage = average;
    ++cpuWatchUpdates;
  }
  void SetStatisticsLabel(StatisticsLabel label, const std::string& text) override { statistics[label] = text; }
  void AddStartLogLine(const std::string& line) override { startLog.push_back(line); }
  void ShowStartLogWindow() override { ++startLogShows; }
};

// The alert view of tests: ShowModal records the alert and runs the scripted
// reaction (which may press the alert's buttons), then returns as if closed.
class ScriptedAlertView final : public AlertView {
 public:
  int modalShows = 0;
  int reShows = 0;
  bool showing = false;
  std::function<void(protection::AlertModel&)> onShow;  // the user's reaction

  bool IsShowing() const override { return showing; }
  void ShowModal(protection::AlertModel& alert) override;
  void ShowAgain(protection::AlertModel& alert) override;
  void Close() override { showing = false; }
  void BringToFront() override { ++bringToFrontCount; }
  int bringToFrontCount = 0;
};

// Records what it was given to open (after the port's own checks).
class RecordingBrowser final : public Browser {
 public:
  std::vector<std::string> opened;
  std::vector<std::string> foldersOpened;
  std::vector<std::string> filesOpened;

 protected:
  void OpenWebPage(const std::string& url) override { opened.push_back(url); }
  void OpenFolderWindow(const std::string& folder) override { foldersOpened.push_back(folder); }
  void OpenFileViewer(const std::string& path) override { filesOpened.push_back(path); }
};

// Runs waited-for functions at once; posted ones are kept until the test runs
// them (from any thread), as a UI thread busy elsewhere would.
class InlineDispatcher final : public UiDispatcher {
 public:
  bool RunAndWait(const std::function<void()>& function) override {
    function();
    return true;
  }
  bool Post(std::function<void()> function) override;
  // Runs what was posted, also what those functions post; returns how many ran.
  int RunPosted();
  size_t PostedCount() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::function<void()>> posted_;
};

class CountingEventPump final : public EventPump {
 public:
  int calls = 0;
  std::function<void()> onPump;
  void ProcessPendingEvents() override {
    ++calls;
    if (onPump) onPump();
  }
};

// Timers that only fire when the test says so.
class ManualTimer final : public Timer {
 public:
  ManualTimer(int interval, std::function<void()> callback) : interval_(interval), callback_(std::move(callback)) {}
  void Start() override { running_ = true; ++starts; }
  void Stop() override { running_ = false; ++stops; }
  bool IsRunning() const override { return running_; }
  int IntervalMs() const override { return interval_; }
  // Runs the callback as an expiry would, whether or not the timer runs.
  void Fire() { callback_(); }
  int starts = 0;
  int stops = 0;

 private:
  int interval_;
  std::function<void()> callback_;
  bool running_ = false;
};

class ManualTimerFactory final : public TimerFactory {
 public:
  std::vector<ManualTimer*> created;  // owned by the core objects that asked for them
  std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTimeout) override;
  ManualTimer* WithInterval(int intervalMs) const;
};

// Records what the downloader showed in its window.
class RecordingDownloadView final : public DownloadView {
 public:
  bool showing = false;
  int shows = 0;
  int closes = 0;
  std::vector<std::string> statuses;
  std::vector<std::string> logEntries;  // newest first, as the window shows them
  std::int64_t gaugePosition = 0, gaugeMaximum = 0;
  bool logExpanded = false;
  std::function<void()> onShow;  // runs when the window is shown

  void ShowDialog() override {
    showing = true;
    ++shows;
    if (onShow) onShow();
  }
  void CloseDialog() override {
    showing = false;
    ++closes;
  }
  bool IsDialogShowing() const override { return showing; }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void SetGauge(std::int64_t position, std::int64_t maximum) override {
    gaugePosition = position;
    gaugeMaximum = maximum;
  }
  void AddLogEntry(const std::string& entry) override { logEntries.insert(logEntries.begin(), entry); }
  void SetLogExpanded(bool expanded) override { logExpanded = expanded; }
};

// All scripted ports together, wired into a Ports value.
struct ScriptedFrontEnd {
  ScriptedDialogs dialogs;
  RecordingMainWindow mainWindow;
  ScriptedAlertView alert;
  CountingEventPump events;
  InlineDispatcher dispatcher;
  RecordingBrowser browser;
  ManualTimerFactory timers;
  RecordingDownloadView download;
  Ports ports() {
    return Ports{&dialogs, &mainWindow, &alert, &events, &dispatcher, &browser, &timers, &download};
  }
};

}  // namespace vz::ui::scripted
