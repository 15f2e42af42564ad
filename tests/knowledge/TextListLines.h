#pragma once
// A list's lines as strings, for comparing a whole list in one assertion.
#include <string>
#include <vector>

#include "knowledge/TextList.h"

namespace vz::knowledge {

inline std::vector<std::string> LinesOf(const TextList& list) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < list.Count(); ++i) lines.emplace_back(list[i]);
  return lines;
}

}  // namespace vz::knowledge
