#pragma once
// The key names of one section of the system file list, with their joined
// upper-cased text. A name counts as listed when it occurs, ignoring case,
// anywhere in that text: a substring test, not a whole-name comparison.
#include <string>
#include <string_view>
#include <vector>

namespace vz::knowledge {

class NameList {
 public:
  void Assign(std::vector<std::string> names);
  const std::vector<std::string>& Names() const { return names_; }
  std::size_t Count() const { return names_.size(); }
  // The names upper-cased, each followed by CR LF.
  const std::string& UpperText() const { return upperText_; }
  bool ContainsName(std::string_view fileName) const;

 private:
  std::vector<std::string> names_;
  std::string upperText_;
};

}  // namespace vz::knowledge
