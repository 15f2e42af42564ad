#include "KeyName.h"

namespace vz::reg {

namespace {

struct RootSpelling {
  std::string_view upper;
  platform::RegistryRoot root;
};

constexpr RootSpelling kRoots[] = {
    {"HKLM", platform::RegistryRoot::LocalMachine},
    {"HKEY_LOCAL_MACHINE", platform::RegistryRoot::LocalMachine},
    {"HKCU", platform::RegistryRoot::CurrentUser},
    {"HKEY_CURRENT_USER", platform::RegistryRoot::CurrentUser},
};

}  // namespace

std::optional<KeyName> ParseKeyName(std::string_view text) {
  std::size_t slash = text.find('\\');
  std::string first = platform::RegUpper(text.substr(0, slash));
  for (const RootSpelling& spelling : kRoots) {
    if (first != spelling.upper) continue;
    KeyName key;
    key.root = spelling.root;
    std::string_view rest = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
    if (!platform::NormalizeKeyPath(rest, key.path)) return std::nullopt;
    return key;
  }
  return std::nullopt;
}

std::string FullKeyName(const KeyName& key) {
  std::string name = platform::RegistryRootName(key.root);
  if (!key.path.empty()) name.append("\\").append(key.path);
  return name;
}

}  // namespace vz::reg
