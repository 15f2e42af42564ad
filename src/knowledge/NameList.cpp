#include "knowledge/NameList.h"

#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {

void NameList::Assign(std::vector<std::string> names) {
  names_ = std::move(names);
  upperText_.clear();
  for (const auto& name : names_) {
    upperText_ += UpperCaseText(name);
    upperText_ += "\r\n";
  }
}

bool NameList::ContainsName(std::string_view fileName) const {
  return Contains(upperText_, UpperCaseText(fileName));
}

}  // namespace vz::knowledge
