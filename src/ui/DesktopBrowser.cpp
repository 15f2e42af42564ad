#include "ui/DesktopBrowser.h"

namespace vz::ui {

namespace {
// xdg-open's exit code for "no program here can open this".
constexpr int kNothingToOpenWith = 3;
}  // namespace

DesktopBrowser::DesktopBrowser(TimerFactory& timers, Launch launch) : launch_(std::move(launch)) {
  timer_ = timers.CreateTimer(kOpenerCheckMs, [this] { CheckOpeners(); });
}

DesktopBrowser::~DesktopBrowser() = default;

void DesktopBrowser::OpenWebPage(const std::string& url) {
  Start(url, {"Could not open the web page", "no browser found"});
}

void DesktopBrowser::OpenFolderWindow(const std::string& folder) {
  Start(folder, {"Could not open the folder", "no file manager found"});
}

void DesktopBrowser::OpenFileViewer(const std::string& path) {
  Start(path, {"Could not show the file", "no viewer found"});
}

void DesktopBrowser::Start(const std::string& target, Purpose purpose) {
  platform::LaunchError error;
  auto opener = launch_({kDesktopOpener, target}, error);
  if (!opener) {
    // Without the opener itself the desktop has nothing to open it with.
    ReportFailure(std::string(purpose.failed) + ": " + (error.notFound ? purpose.nothingToOpenWith : error.text));
    return;
  }
  running_.push_back(Running{std::move(opener), purpose});
  if (!timer_->IsRunning()) timer_->Start();
}

void DesktopBrowser::CheckOpeners() {
  std::vector<std::string> failures;
  for (auto it = running_.begin(); it != running_.end();) {
    std::optional<int> code = it->opener->ExitCode();
    if (!code && ++it->checks < kOpenerChecks) {
      ++it;
      continue;
    }
    if (code && *code == kNothingToOpenWith)
      failures.push_back(std::string(it->purpose.failed) + ": " + it->purpose.nothingToOpenWith);
    else if (code && *code != 0)
      failures.push_back(std::string(it->purpose.failed) + ": " + kDesktopOpener + " ended with exit code " +
                         std::to_string(*code));
    it = running_.erase(it);
  }
  if (running_.empty()) timer_->Stop();
  // Reported after the bookkeeping: a report may run events that open more.
  for (const auto& line : failures) ReportFailure(line);
}

}  // namespace vz::ui
