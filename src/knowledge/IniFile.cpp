#include "knowledge/IniFile.h"

#include <filesystem>

#include "platform/FileSystem.h"

namespace vz::knowledge {

const IniDocument& IniFile::Current() const {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path_, ec);
  const std::int64_t newSize = ec ? -1 : static_cast<std::int64_t>(size);
  const auto time = std::filesystem::last_write_time(path_, ec);
  const std::int64_t newModified = ec ? 0 : static_cast<std::int64_t>(time.time_since_epoch().count());
  if (!loaded_ || newSize != size_ || newModified != modified_) {
    const auto bytes = newSize < 0 ? std::nullopt : platform::ReadWholeFile(path_);
    document_ = IniDocument::Parse(bytes ? *bytes : std::string());
    loaded_ = true;
    size_ = newSize;
    modified_ = newModified;
  }
  return document_;
}

std::vector<std::string> IniFile::SectionKeys(std::string_view section) const { return Current().SectionKeys(section); }

std::string IniFile::ReadString(std::string_view section, std::string_view key, const std::string& fallback) const {
  return Current().Value(section, key).value_or(fallback);
}

}  // namespace vz::knowledge
