#include "guard/GuardedSettings.h"

namespace vz::guard {

std::string ReadRegString(platform::RegistryStore& store, platform::RegistryRoot root, std::string_view key,
                          std::string_view name, const std::string& fallback) {
  platform::RegistryKey open;
  if (!store.OpenKey(root, key, platform::RegAccess::Read, platform::RegDisposition::OpenExisting, open))
    return fallback;
  platform::RegValue value;
  if (!open.ReadValue(name, value) || !value.IsString() || value.DataSize() > kReadBufferSize) return fallback;
  return value.data.substr(0, value.data.find('\0'));
}

void WriteRegString(platform::RegistryStore& store, platform::RegistryRoot root, std::string_view key,
                    std::string_view name, const std::string& text) {
  platform::RegistryKey open;
  if (!store.OpenKey(root, key, platform::RegAccess::ReadWrite, platform::RegDisposition::OpenExisting, open)) return;
  open.WriteString(name, text);  // a failed write-back is asked about again at the next report
}

}  // namespace vz::guard
