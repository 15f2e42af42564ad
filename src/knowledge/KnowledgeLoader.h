#pragma once
// The start-up load of the knowledge base (first tick of the main cycle):
// unpacking the three archives, loading their lists, merging "Procupd.txt",
// separating the spyware entries, the age test of the spyware data and the counts.
#include <cstddef>
#include <string>
#include <string_view>

#include "knowledge/ArchiveExtractor.h"
#include "knowledge/KnowledgeBase.h"
#include "log/ShieldLog.h"
#include "platform/Clock.h"
#include "ui/EventPump.h"
#include "ui/MainWindowView.h"

namespace vz::knowledge {

inline constexpr const char* kInfoLabelTooOld = "The spyware Data files is to old !! Please update";

struct LoadEnvironment {
  std::string appFolder;  // with its trailing separator
  ArchiveExtractor& extractor;
  log::ShieldLog& log;
  ui::MainWindowView& view;
  ui::EventPump& events;
  const platform::Clock& clock;
};

// Runs every stage once. Extraction errors are logged (one line naming the
// archive and the error) and leave that list empty; nothing escapes.
void LoadKnowledgeBase(KnowledgeBase& base, const LoadEnvironment& env);

// The three warning lines for spyware data found too old, written by the main
// cycle once the start-up phase is complete.
void WriteDataAgeWarning(log::ShieldLog& log);

// True for an entry line marked as spyware: longer than one character once
// trimmed, and its first two characters, trimmed and upper-cased, are "X".
bool IsSpywareMarked(std::string_view line);

// Moves the marked lines from allKnown to the end of spyware, walking from the
// last line down to the line before the first merged one (index
// preMergeCount - 1, or 0), so they arrive in reverse order. Returns how many moved.
std::size_t SeparateSpyware(TextList& allKnown, TextList& spyware, std::size_t preMergeCount);

}  // namespace vz::knowledge
