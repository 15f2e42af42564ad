#pragma once
// Ending a process: from the process list (after a Yes/No confirmation) and
// from the alert window. Both open the process with terminate and query
// rights, read its exit code and end it; the handle is bound to the start time
// the table recorded, so a PID that was reused meanwhile is never hit.
#include <cstdint>
#include <string>

#include "inventory/ProcessList.h"
#include "platform/Clock.h"
#include "platform/Processes.h"
#include "ui/Ports.h"

namespace vz::protection {

inline constexpr const char* kKillFailedCaption = "Something went wrong...";
inline constexpr const char* kNoAccessText = "Could not get access to this process.";
inline constexpr const char* kNoExitCodeText = "Could not retreive the ExitCode for this process.";
inline constexpr const char* kConfirmKillText = "Sure you want to stop this Process ?";

class ProcessTermination {
 public:
  ProcessTermination(platform::ProcessPlatform& processes, inventory::ProcessList& list, const ui::Ports& ports,
                     const platform::Clock& clock = platform::SystemClock());

  // "Kill Process" of the list's menu and of the details panel: nothing without
  // a selection; otherwise the confirmation, and on Yes KillSelectedProcess.
  void KillProcessCommand();
  // Ends the process of the selected list line, then rebuilds the list.
  void KillSelectedProcess();
  // Ends the alerted process (identifier as the alert shows it, start time as
  // the table recorded it; 0 skips that check). True when it was ended.
  bool KillAlertedProcess(const std::string& identifierText, std::uint64_t startTime);
  // Waits n milliseconds while letting pending events run.
  void PumpWait(int milliseconds);

 private:
  void ShowFailure(const char* text, const std::string& errorText);

  platform::ProcessPlatform& processes_;
  inventory::ProcessList& list_;
  ui::Ports ports_;
  const platform::Clock& clock_;
};

// Parses a decimal identifier as the alert and the table show it; 0 when blank or bad.
std::uint32_t ParseIdentifier(const std::string& text);

}  // namespace vz::protection
