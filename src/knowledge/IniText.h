#pragma once
// A reader of INI text as a pure function on bytes: sections in square
// brackets, key=value lines, ';' comment lines. Section and key names compare
// without case; the first section and the first key of a name win.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::knowledge {

struct IniEntry {
  std::string key;
  std::string value;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes);

  const std::vector<IniSection>& Sections() const { return sections_; }
  const IniSection* FindSection(std::string_view name) const;
  // Key names of the section in file order (empty when it is missing).
  std::vector<std::string> SectionKeys(std::string_view section) const;
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

 private:
  std::vector<IniSection> sections_;
};

}  // namespace vz::knowledge
