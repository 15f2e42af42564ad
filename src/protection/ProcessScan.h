#pragma once
// The verdict on a new process: unless its program file is recognised as
// legitimate, its name is looked up between TABs in the spyware list; a hit is
// logged and put in front of the user in the alert. A clean process is
// remembered at its list position so that it is not scanned again there.
#include <cstdint>
#include <string>
#include <unordered_map>

#include "inventory/FileOrigin.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "log/ShieldLog.h"
#include "platform/Clock.h"
#include "platform/PathConventions.h"
#include "protection/AlertModel.h"
#include "ui/Ports.h"

namespace vz::protection {

class ProcessScanner {
 public:
  ProcessScanner(inventory::ProcessList& list, const inventory::FileOriginClassifier& classifier,
                 const inventory::FolderValues& folders, const knowledge::KnowledgeBase& knowledge, AlertModel& alert,
                 log::ShieldLog& log, const ui::Ports& ports, const platform::PathConventions& paths,
                 const platform::Clock& clock = platform::SystemClock());

  // Scans the process shown at list position `position`.
  void ScanProcess(const std::string& name, std::uint32_t pid, int position);
  // Scans a process the kernel reported starting, as it was captured then (it
  // may have ended since). Same verdict, log line and alert as a listed one;
  // a process either road has judged is not judged again by this one.
  void ScanStartedProcess(const inventory::ProcessIdentity& process);
  // A program the exec guard refused: logged and shown, with the actions that
  // make sense for a file that never ran.
  void ReportBlocked(const std::string& entryName, const std::string& path, std::uint32_t pid);

 private:
  // pid and startTime: the process that runs the file (0: none).
  bool IsPossibleSpyware(const std::string& path, const std::string& name, std::uint32_t pid, std::uint64_t startTime,
                         std::string& spywareName, std::string& description, bool& unreadableRoot);
  void RaiseAlert(const inventory::ProcessIdentity& process, const std::string& spywareName,
                  const std::string& description);

  // Verdicts that are a fact of the process itself (its program file was
  // classified and looked up), so a process that only moved to another list
  // position is not classified again, and a process the event road alerted is
  // not alerted again by the refresh. Keyed by identifier, start time and path.
  enum class Verdict { Clean, AlertedByRefresh, AlertedByEvent };
  struct Remembered {
    Verdict verdict;
    std::uint64_t rebuild;  // the list rebuild current when it was given
  };
  std::unordered_map<std::string, Remembered> verdicts_;
  std::uint64_t verdictGeneration_ = 0;
  void ForgetEndedProcesses();
  void Remember(const std::string& key, Verdict verdict);

  inventory::ProcessList& list_;
  const inventory::FileOriginClassifier& classifier_;
  const inventory::FolderValues& folders_;
  const knowledge::KnowledgeBase& knowledge_;
  AlertModel& alert_;
  log::ShieldLog& log_;
  ui::Ports ports_;
  const platform::Clock& clock_;
  const platform::PathConventions& paths_;
};

}  // namespace vz::protection
