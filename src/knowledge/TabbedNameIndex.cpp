#include "knowledge/TabbedNameIndex.h"

#include <algorithm>

#include "knowledge/FindText.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {

void TabbedNameIndex::Clear() {
  text_ = std::string_view();
  upper_.clear();
  first_.clear();
  later_.clear();
}

void TabbedNameIndex::Build(std::string_view text) {
  text_ = text;
  upper_ = UpperCaseText(text);
  first_.clear();
  later_.clear();
  first_.reserve(text.size() / 32);
  const std::string_view upper(upper_);
  size_t tab = upper.find('\t');
  while (tab != std::string_view::npos) {
    size_t next = upper.find('\t', tab + 1);
    if (next == std::string_view::npos) break;
    std::string_view field = upper.substr(tab + 1, next - tab - 1);
    // A field holding a line end spans two lines: no name without one matches it.
    if (!field.empty() && field.find_first_of("\r\n") == std::string_view::npos) {
      auto position = static_cast<std::uint32_t>(tab + 1);
      auto [it, inserted] = first_.emplace(field, position);
      if (!inserted) later_[field].push_back(position);
    }
    tab = next;
  }
}

std::size_t TabbedNameIndex::Find(std::string_view name, std::size_t start) const {
  // Names the index cannot answer for go through the plain search.
  if (name.empty() || name.find_first_of("\t\r\n") != std::string_view::npos || text_.size() > UINT32_MAX) {
    std::string pattern(1, '\t');
    pattern.append(name).push_back('\t');
    return FindText(pattern, text_, start);
  }
  std::string key = UpperCaseText(name);
  auto it = first_.find(key);
  if (it == first_.end()) return 0;
  if (it->second >= start) return it->second;
  auto more = later_.find(key);
  if (more == later_.end()) return 0;
  auto pos = std::lower_bound(more->second.begin(), more->second.end(), static_cast<std::uint32_t>(start));
  return pos == more->second.end() ? 0 : *pos;
}

}  // namespace vz::knowledge
