#include "knowledge/IniText.h"

#include "knowledge/TextFields.h"
#include "knowledge/TextList.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {

namespace {

// A value written in double quotes loses them, as the profile readers do.
std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
  IniDocument document;
  IniSection* current = nullptr;
  for (const std::string& raw : SplitTextLines(bytes)) {
    const std::string_view line = TrimBlanks(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = TrimBlanks(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      document.sections_.push_back(IniSection{std::string(name), {}});
      current = &document.sections_.back();
      continue;
    }
    if (current == nullptr) continue;  // lines before the first section belong to none
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      current->entries.push_back(IniEntry{std::string(line), {}});
    } else {
      current->entries.push_back(IniEntry{std::string(TrimBlanks(line.substr(0, equals))),
                                          Unquote(TrimBlanks(line.substr(equals + 1)))});
    }
  }
  return document;
}

const IniSection* IniDocument::FindSection(std::string_view name) const {
  const std::string_view wanted = TrimBlanks(name);
  for (const auto& section : sections_)
    if (SameTextIgnoringCase(section.name, wanted)) return &section;
  return nullptr;
}

std::vector<std::string> IniDocument::SectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const IniSection* found = FindSection(section))
    for (const auto& entry : found->entries) keys.push_back(entry.key);
  return keys;
}

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const {
  const IniSection* found = FindSection(section);
  if (found == nullptr) return std::nullopt;
  const std::string_view wanted = TrimBlanks(key);
  for (const auto& entry : found->entries)
    if (SameTextIgnoringCase(entry.key, wanted)) return entry.value;
  return std::nullopt;
}

}  // namespace vz::knowledge
