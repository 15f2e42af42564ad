#include "protection/ProcessTermination.h"

#include <charconv>

namespace vz::protection {

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
  int selected = list_.Selected();
  if (selected < 0 || selected >= static_cast<int>(list_.Names().size())) return;
  std::string text = kConfirmKillText + list_.Names()[static_cast<size_t>(selected)];
  if (ports_.dialogs->Ask("Confirm", text, ui::DialogButtons::YesNo) == ui::DialogAnswer::Yes) KillSelectedProcess();
}

void ProcessTermination::KillSelectedProcess() {
  int row = list_.Selected();
  const inventory::ProcessTable& table = list_.Table();
  if (table.HasRow(row)) {
    std::string name = table.Row(row).name;
    std::uint32_t pid = ParseIdentifier(table.Row(row).identifier);
    std::string error;
    auto handle = pid ? processes_.OpenForTermination(pid, table.Row(row).startTime, error) : nullptr;
    if (!handle) {
      ShowFailure(kNoAccessText, pid ? error : "No such process");
    } else {
      std::uint32_t exitCode = 0;
      if (!handle->GetExitCode(exitCode, error)) {
        ShowFailure(kNoExitCodeText, error);
      } else {
        // The termination's result is not examined: the list shows the truth.
        handle->Terminate(exitCode, error);
        ports_.mainWindow->SetStatusPanel(2, "User Killed Process : " + name);
      }
    }
  }
  list_.SetForceRefresh(true);
  list_.RefreshProcessList();
}

bool ProcessTermination::KillAlertedProcess(const std::string& identifierText, std::uint64_t startTime) {
  std::uint32_t pid = ParseIdentifier(identifierText);
  std::string error;
  auto handle = pid ? processes_.OpenForTermination(pid, startTime, error) : nullptr;
  if (!handle) {
    ShowFailure(kNoAccessText, pid ? error : "No such process");
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
