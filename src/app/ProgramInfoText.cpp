#include "app/ProgramInfoText.h"

#include <cstdint>
#include <cstdio>

#include "platform/AppFolder.h"
#include "platform/FileMetadata.h"

#ifndef VAZERU_VERSION
#define VAZERU_VERSION "development"
#endif

namespace vz::app {

namespace {

// A packed file date as local date and time; a missing file says so.
std::string DataDateText(const std::string& path) {
  std::int64_t packed = platform::FileDateOf(path);
  if (packed < 0) return "file not found";
  auto value = static_cast<std::uint32_t>(packed);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", ((value >> 25) & 0x7Fu) + 1980u,
                (value >> 21) & 0x0Fu, (value >> 16) & 0x1Fu, (value >> 11) & 0x1Fu, (value >> 5) & 0x3Fu,
                (value & 0x1Fu) * 2u);
  return text;
}

}  // namespace

ui::ProgramInfo CurrentProgramInfo(const knowledge::KnowledgeBase& knowledge) {
  const std::string folder = platform::AppFolder();
  ui::ProgramInfo info;
  info.program = std::string("Orvane Vazeru ") + VAZERU_VERSION;
  info.spywareDataDate = DataDateText(folder + knowledge::kSpywareArchive);
  info.programsDataDate = DataDateText(folder + knowledge::kKnownArchive);
  info.knownSpyware = "Known Spyware: " + std::to_string(knowledge.SpywareCount());
  info.knownPrograms = "Known programs: " + std::to_string(knowledge.AllKnownCount());
  return info;
}

}  // namespace vz::app
