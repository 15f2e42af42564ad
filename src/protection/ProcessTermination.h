#pragma once
// Ending a process: from the process list (after a Yes/No confirmation) and
// from the alert window. Both name the process by the identity taken when the
// user was asked (identifier, start time, program), open it with terminate and
// query rights, read its exit code and end it. A process that is not exactly
// that one any more (ended, identifier reused, another program run in it) is
// never hit: the user gets the "no access" box instead.
#include <cstdint>
#include <memory>
#include <string>

#include "inventory/ProcessIdentity.h"
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
  // a selection; otherwise the confirmation about the selected process, and on
  // Yes KillSelectedProcess of that process, wherever the list has moved it
  // while the question was open.
  void KillProcessCommand();
  // Ends the process that was selected when the user was asked, then rebuilds the list.
  void KillSelectedProcess(const inventory::ProcessIdentity& process);
  // Ends the alerted process. True when it was ended.
  bool KillAlertedProcess(const inventory::ProcessIdentity& process);
  // Waits n milliseconds while letting pending events run.
  void PumpWait(int milliseconds);

 private:
  void ShowFailure(const char* text, const std::string& errorText);
  // Opens exactly that process; nullptr with the error text when it is gone.
  std::unique_ptr<platform::ProcessHandle> OpenExactly(const inventory::ProcessIdentity& process, std::string& error);
  bool RunsSameProgram(const inventory::ProcessIdentity& process);

  platform::ProcessPlatform& processes_;
  inventory::ProcessList& list_;
  ui::Ports ports_;
  const platform::Clock& clock_;
};

// Parses a decimal identifier as the alert and the table show it; 0 when blank or bad.
std::uint32_t ParseIdentifier(const std::string& text);

}  // namespace vz::protection
