#include "knowledge/IniFile.h"

#include "platform/FileSystem.h"

namespace vz::knowledge {

const IniDocument& IniFile::Current() const {
  const std::optional<platform::FileIdentity> now = platform::IdentityOf(path_);
  if (!loaded_ || now != identity_) {
    const auto bytes = now ? platform::ReadWholeFile(path_) : std::nullopt;
    document_ = IniDocument::Parse(bytes ? *bytes : std::string());
    loaded_ = true;
    identity_ = now;
  }
  return document_;
}

std::vector<std::string> IniFile::SectionKeys(std::string_view section) const { return Current().SectionKeys(section); }

std::string IniFile::ReadString(std::string_view section, std::string_view key, const std::string& fallback) const {
  return Current().Value(section, key).value_or(fallback);
}

}  // namespace vz::knowledge
