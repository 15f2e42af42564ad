#pragma once
// The spyware alert: what was found (filled in by the process scan or the
// startup scan) and the user's actions on it. One alert exists for the whole
// run and is reused; its texts stay until the next alert overwrites them.
#include <cstdint>
#include <functional>
#include <string>

#include "inventory/ProcessIdentity.h"
#include "platform/PathConventions.h"
#include "protection/ExclusionList.h"
#include "protection/ProcessTermination.h"
#include "ui/Ports.h"

namespace vz::protection {

inline constexpr const char* kAlertCaption = "Orvane Alert !";
inline constexpr const char* kMemoryAlertTitle = "Possible Spyware Process Found (Memory)";
inline constexpr const char* kStartupAlertTitle = "Possible Spyware Entry Found in STARTUPS";
inline constexpr const char* kBlockedAlertTitle = "Spyware Blocked Before Start";

// The startup list as the alert's "Remove startup" needs it: rows by number.
class StartupListAccess {
 public:
  virtual ~StartupListAccess() = default;
  virtual void SelectRow(int row) = 0;
  // Column 0 value name, 1 command, 2 hive tag ("[HKLM]" / "[HKCU]").
  virtual std::string Cell(int column, int row) const = 0;
  // Deletes the value from the Run key of the current user's or the machine's
  // hive, opening the key without creating it. False when the key did not open.
  virtual bool DeleteRunValue(bool currentUser, const std::string& valueName) = 0;
};

struct AlertFields {
  std::string title;        // Label1
  std::string nameLine;     // Label2
  std::string location;     // Label3
  std::string identifier;   // Label5: process identifier, or startup row number
  std::string description;  // ScandiaDesc
  std::string link;         // URLLabel1
  // The alerted process as the scan found it: Kill and Delete end this one or none.
  inventory::ProcessIdentity process;
};

class AlertModel {
 public:
  AlertModel(const ui::Ports& ports, ProcessTermination& termination, ExclusionList& exclusions,
             std::string exclusionFile, const platform::PathConventions& paths);

  // The flags the scanners set before they raise the alert.
  bool alertFromStartup = false;
  bool showRemoveStartup = false;
  // The alert is about a program refused before it ran: there is no process to end.
  bool blockedStart = false;

  AlertFields& Fields() { return fields_; }
  const AlertFields& Fields() const { return fields_; }

  // Button states.
  bool KillEnabled() const { return killEnabled_; }
  bool DeleteEnabled() const { return deleteEnabled_; }
  bool RemoveStartupVisible() const { return removeStartupVisible_; }

  void SetMainTimer(ui::Timer* timer) { mainTimer_ = timer; }
  // Called each time a modal showing has ended (the alert was closed).
  void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }
  void SetStartupList(StartupListAccess* startupList) { startupList_ = startupList; }

  // The showing protocol: main window restored and in front; the alert shown
  // again when already open, otherwise modally (returns when it is closed).
  void ShowAlert();

  // Buttons.
  void Close();
  void KillProcess();
  void DeleteProgramFile();
  void OpenContainingFolder();
  void AddToExcludeList();
  void MoreInfo();
  void OpenLink();
  void RemoveStartup();

 private:
  void OnShown();
  void CloseWindow();

  ui::Ports ports_;
  ProcessTermination& termination_;
  ExclusionList& exclusions_;
  std::string exclusionFile_;
  const platform::PathConventions& paths_;
  AlertFields fields_;
  bool killEnabled_ = true;
  bool deleteEnabled_ = true;
  bool removeStartupVisible_ = false;
  ui::Timer* mainTimer_ = nullptr;
  std::function<void()> onClosed_;
  StartupListAccess* startupList_ = nullptr;
};

}  // namespace vz::protection
