#include "protection/ProcessTermination.h"

#include <charconv>

namespace vz::protection {

namespace {
// The system's text for a process that is not there (any more).
constexpr const char* kNoSuchProcessText = "No such process";
}  // namespace

std::uint32_t ParseIdentifier(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return 0;
  size_t end = text.find_last_not_of(" \t") + 1;
  std::uint32_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value);
  if (ec != std::errc() || ptr != text.data() + end) return 0;
  return value;
}

ProcessTermination::ProcessTermination(platform::ProcessPlatform& processes, inventory::ProcessList& list,
                                       const ui::Ports& ports, const platform::Clock& clock)
    : processes_(processes), list_(list), ports_(ports), clock_(clock) {}

void ProcessTermination::ShowFailure(const char* text, const std::string& errorText) {
  ports_.dialogs->Show({kKillFailedCaption, std::string(text) + "\r\r" + errorText, ui::DialogIcon::Error,
                        ui::DialogButtons::Ok});
}

void ProcessTermination::KillProcessCommand() {
  // The identity is taken now: the list may be rebuilt while the box is open,
  // and the answer is about the process named in it.
  std::optional<inventory::ProcessIdentity> process = list_.SelectedIdentity();
  if (!process) return;
  std::string text = kConfirmKillText + process->name;
  if (ports_.dialogs->Ask("Confirm", text, ui::DialogButtons::YesNo) == ui::DialogAnswer::Yes)
    KillSelectedProcess(*process);
}

bool ProcessTermination::RunsSameProgram(const inventory::ProcessIdentity& process) {
  if (!process.path.empty()) {
    auto opened = processes_.OpenProcess(process.pid);
    return opened && opened->startTime == process.startTime && opened->fullPath == process.path;
  }
  // Listed without a path: the snapshot's name tells another program apart.
  for (const platform::SnapshotEntry& entry : processes_.Snapshot())
    if (entry.pid == process.pid) return entry.startTime == process.startTime && entry.name == process.name;
  return false;
}

std::unique_ptr<platform::ProcessHandle> ProcessTermination::OpenExactly(const inventory::ProcessIdentity& process,
                                                                         std::string& error) {
  if (!process.Valid()) {
    error = kNoSuchProcessText;
    return nullptr;
  }
  // The handle pins the process with that start time; the program is checked
  // after it was opened, so an exec in between is seen.
  auto handle = processes_.OpenForTermination(process.pid, process.startTime, error);
  if (handle && !RunsSameProgram(process)) {
    error = kNoSuchProcessText;
    return nullptr;
  }
  return handle;
}

void ProcessTermination::KillSelectedProcess(const inventory::ProcessIdentity& process) {
  std::string error;
  auto handle = OpenExactly(process, error);
  if (!handle) {
    ShowFailure(kNoAccessText, error);
  } else {
    std::uint32_t exitCode = 0;
    if (!handle->GetExitCode(exitCode, error)) {
      ShowFailure(kNoExitCodeText, error);
    } else {
      // The termination's result is not examined: the list shows the truth.
      handle->Terminate(exitCode, error);
      ports_.mainWindow->SetStatusPanel(2, "User Killed Process : " + process.name);
    }
  }
  list_.SetForceRefresh(true);
  list_.RefreshProcessList();
}

bool ProcessTermination::KillAlertedProcess(const inventory::ProcessIdentity& process) {
  std::string error;
  auto handle = OpenExactly(process, error);
  if (!handle) {
    ShowFailure(kNoAccessText, error);
    return false;
  }
  std::uint32_t exitCode = 0;
  if (!handle->GetExitCode(exitCode, error)) {
    ShowFailure(kNoExitCodeText, error);
    return false;
  }
  handle->Terminate(exitCode, error);
  ports_.mainWindow->SetBusyCursor(true);
  PumpWait(1500);
  ports_.mainWindow->SetBusyCursor(false);
  return true;
}

void ProcessTermination::PumpWait(int milliseconds) {
  std::uint64_t until = clock_.TickCountMs() + static_cast<std::uint64_t>(milliseconds);
  while (clock_.TickCountMs() < until) ports_.events->ProcessPendingEvents();
}

}  // namespace vz::protection
