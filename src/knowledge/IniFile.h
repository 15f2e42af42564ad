#pragma once
// An INI file kept for the program's lifetime: lookups read it on demand, so
// a value is taken from the file as it stands. The parsed text is cached and
// read again only when the file was replaced or changed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/IniText.h"
#include "platform/OpenedFile.h"

namespace vz::knowledge {

class IniFile {
 public:
  explicit IniFile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  // Key names of a section; empty when the file or the section is missing.
  std::vector<std::string> SectionKeys(std::string_view section) const;
  // The value of a key, or fallback when the file, section or key is missing.
  std::string ReadString(std::string_view section, std::string_view key, const std::string& fallback = {}) const;

 private:
  const IniDocument& Current() const;

  std::string path_;
  mutable IniDocument document_;
  mutable bool loaded_ = false;
  mutable std::optional<platform::FileIdentity> identity_;
};

}  // namespace vz::knowledge
