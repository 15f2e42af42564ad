#pragma once
// The program and data file information the show handler puts on the
// "Options & Info" page: name and version, the dates of the spyware and the
// programs archives, and the counts of the two lists.
#include "knowledge/KnowledgeBase.h"
#include "ui/MainWindowView.h"

namespace vz::app {

// The texts as they stand now (archives in the program's folder).
ui::ProgramInfo CurrentProgramInfo(const knowledge::KnowledgeBase& knowledge);

}  // namespace vz::app
