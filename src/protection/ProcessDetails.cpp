#include "protection/ProcessDetails.h"

#include "knowledge/FindText.h"
#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"
#include "protection/DescriptionLink.h"
#include "protection/WebSearch.h"

namespace vz::protection {

namespace {

std::string TrimmedUpper(std::string_view text) { return knowledge::UpperCaseText(knowledge::TrimBlanks(text)); }

}  // namespace

using knowledge::IsBlank;

ProcessDetailsPanel::ProcessDetailsPanel(inventory::ProcessList& list, const knowledge::TextList& descriptions,
                                         const ui::Ports& ports, ProcessTermination& termination,
                                         const platform::PathConventions& paths)
    : list_(list), descriptions_(descriptions), ports_(ports), termination_(termination), paths_(paths) {}

size_t ProcessDetailsPanel::FindDescriptionLine(const std::string& selected) const {
  const std::string& text = descriptions_.Text();
  std::string wanted = TrimmedUpper(selected);
  size_t position = 1;
  for (;;) {
    size_t match = knowledge::FindText(selected, text, position);
    if (match == 0) return std::string::npos;
    size_t line = descriptions_.LineAt(match + 1);
    if (line < descriptions_.Count() && TrimmedUpper(knowledge::GetField(descriptions_[line], 3)) == wanted) return line;
    position = match + 1;
  }
}

void ProcessDetailsPanel::CollectDescription(size_t line) {
  size_t first = line;
  while (first > 0 && IsBlank(knowledge::GetField(descriptions_[first], 1))) --first;
  // When the found line is the list's last one, only the entry's first line is used.
  size_t last = descriptions_.Count() - 1;
  std::string description;
  for (size_t i = first; i < descriptions_.Count(); ++i) {
    std::string_view entryLine = descriptions_[i];
    std::string piece = knowledge::GetField(entryLine, 4);
    if (HasQuotedHttpLink(entryLine)) {
      LinkAndRest split = SplitProcessDescriptionLink(piece);
      description += split.rest;
      details_.urlen = split.link;
    } else {
      description += piece;
    }
    description += "\r\n";
    if (line == last) break;
    if (i + 1 >= descriptions_.Count() || !IsBlank(knowledge::GetField(descriptions_[i + 1], 1))) break;
  }
  details_.desc10 = SplitProcessDescriptionLink(description).rest;
}

void ProcessDetailsPanel::ShowProcessDetails() {
  details_.urlen.clear();
  int selected = list_.Selected();
  if (selected >= 0 && selected < static_cast<int>(list_.Names().size())) {
    const std::string& text = list_.Names()[static_cast<size_t>(selected)];
    const inventory::ProcessTable& table = list_.Table();
    details_.desc3 = table.Cell(5, selected);
    details_.desc4 = "Process ID : " + table.Cell(1, selected);
    details_.desc5 = table.Cell(6, selected);
    size_t line = FindDescriptionLine(text);
    if (line == std::string::npos) {
      details_.desc1 = text;
      details_.desc2 = text;
      details_.desc10 = "Unknown";
    } else {
      details_.desc1 = knowledge::GetField(descriptions_[line], 2);
      details_.desc2 = knowledge::GetField(descriptions_[line], 3);
      ports_.events->ProcessPendingEvents();
      CollectDescription(line);
    }
  } else {
    // Nothing selected, or the selected process has ended: nothing to show or to act on.
    details_ = ProcessDetails{};
  }
  details_.showOpenFolder = !IsBlank(details_.desc5);
  details_.showKill = !IsBlank(details_.desc1);
  details_.showMoreInfo = details_.showKill;
  if (onChanged_) onChanged_(details_);
}

void ProcessDetailsPanel::KillProcess() { termination_.KillProcessCommand(); }

void ProcessDetailsPanel::MoreInfo() {
  int selected = list_.Selected();
  if (selected < 0 || selected >= static_cast<int>(list_.Names().size())) return;
  const std::string& text = list_.Names()[static_cast<size_t>(selected)];
  if (IsBlank(text)) return;
  ports_.browser->Open(SearchUrl(SearchEndpoint(), text));
}

void ProcessDetailsPanel::OpenContainingFolder() {
  std::string folder = paths_.FolderPart(details_.desc5);
  if (!folder.empty()) ports_.browser->OpenFolder(folder);
}

void ProcessDetailsPanel::OpenLink() {
  if (!IsBlank(details_.urlen)) ports_.browser->Open(details_.urlen);
}

}  // namespace vz::protection
