#pragma once
// The details panel beside the process list: the selected process's display
// and file names from the known-programs list, its priority, identifier and
// path from the process table, and its description with an optional link.
#include <functional>
#include <string>

#include "inventory/ProcessList.h"
#include "knowledge/TextList.h"
#include "platform/PathConventions.h"
#include "protection/ProcessTermination.h"
#include "ui/Ports.h"

namespace vz::protection {

struct ProcessDetails {
  std::string desc1;   // display name, or the list line
  std::string desc2;   // file name, or the list line
  std::string desc3;   // priority name
  std::string desc4;   // "Process ID : " + identifier
  std::string desc5;   // full path
  std::string desc10;  // description, or "Unknown"
  std::string urlen;   // the description's link
  bool showKill = false;
  bool showMoreInfo = false;
  bool showOpenFolder = false;
};

class ProcessDetailsPanel {
 public:
  ProcessDetailsPanel(inventory::ProcessList& list, const knowledge::TextList& descriptions, const ui::Ports& ports,
                      ProcessTermination& termination, const platform::PathConventions& paths);

  // Fills the panel for the selected line of the process list; empties it
  // (buttons hidden) when nothing is selected.
  void ShowProcessDetails();
  const ProcessDetails& Details() const { return details_; }
  void SetOnChanged(std::function<void(const ProcessDetails&)> onChanged) { onChanged_ = std::move(onChanged); }

  // "Kill Process": the confirmation and the kill of the selected line.
  void KillProcess();
  // "More info ..." and "More Info (Internet search)": a web search for the selected line.
  void MoreInfo();
  // "Open Containing Folder": the folder of the shown path.
  void OpenContainingFolder();
  // A click on the link: opens it as shown.
  void OpenLink();

 private:
  // Index of the description line whose file name (field 3) is the selected
  // text, or npos.
  size_t FindDescriptionLine(const std::string& selected) const;
  void CollectDescription(size_t line);

  inventory::ProcessList& list_;
  const knowledge::TextList& descriptions_;
  ui::Ports ports_;
  ProcessTermination& termination_;
  const platform::PathConventions& paths_;
  ProcessDetails details_;
  std::function<void(const ProcessDetails&)> onChanged_;
};

}  // namespace vz::protection
