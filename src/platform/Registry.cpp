#include "platform/Registry.h"

#include <cstring>

#include "platform/ComputerName.h"
#include "platform/PlainText.h"

namespace vz::platform {

const char* RegistryRootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// ---- values ----------------------------------------------------------------

RegValue RegValue::String(std::string text) { return {RegType::String, std::move(text)}; }
RegValue RegValue::ExpandString(std::string text) { return {RegType::ExpandString, std::move(text)}; }
RegValue RegValue::Binary(std::string bytes) { return {RegType::Binary, std::move(bytes)}; }

RegValue RegValue::Dword(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {RegType::Dword, bytes};
}

RegValue RegValue::Qword(std::uint64_t number) {
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return {RegType::Qword, bytes};
}

RegValue RegValue::MultiString(const std::vector<std::string>& texts) {
  std::string bytes;
  for (const auto& t : texts) bytes.append(t).push_back('\0');
  bytes.push_back('\0');
  return {RegType::MultiString, bytes};
}

std::size_t RegValue::DataSize() const { return IsString() ? data.size() + 1 : data.size(); }

bool RegValue::AsDword(std::uint32_t& number) const {
  if (type != RegType::Dword || data.size() != 4) return false;
  number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(data[i]);
  return true;
}

std::vector<std::string> RegValue::AsMultiString() const {
  std::vector<std::string> texts;
  std::size_t start = 0;
  while (start < data.size()) {
    auto end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (end == start) break;  // the empty string that ends the list
    texts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return texts;
}

// ---- status ----------------------------------------------------------------

std::string RegErrorText(long code) {
  switch (code) {
    case kRegSuccess: return "The operation completed successfully.";
    case kRegFileNotFound: return "The system cannot find the file specified.";
    case kRegAccessDenied: return "Access is denied.";
    case kRegInvalidHandle: return "The handle is invalid.";
    case kRegBadNetPath: return "The network path was not found.";
    case kRegInvalidParameter: return "The parameter is incorrect.";
    case kRegCantRead: return "The configuration registry key could not be read.";
    case kRegCantWrite: return "The configuration registry key could not be written.";
    default: return "Error " + std::to_string(code) + ".";
  }
}

std::string RegStatus::Text() const { return RegErrorText(code); }

// ---- names -----------------------------------------------------------------

std::string RegUpper(std::string_view text) { return AsciiUpperText(text); }

bool NormalizeKeyPath(std::string_view path, std::string& normalized) {
  normalized.clear();
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '\\') ++i;
    std::size_t start = i;
    while (i < path.size() && path[i] != '\\') {
      char c = path[i];
      if (c == '\0' || c == '\r' || c == '\n') return false;
      ++i;
    }
    if (i > start) {
      if (!normalized.empty()) normalized.push_back('\\');
      normalized.append(path.substr(start, i - start));
    }
  }
  return true;
}

namespace {

bool ValidValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

// Whether the store holding the key can be read; asked for writing, a store
// that cannot be read cannot be written either.
RegStatus Readable(RegistryStore& store, RegistryRoot root, const std::string& path, RegAccess access) {
  RegStatus status = store.DoReadableStatus(root, path);
  if (!status && access == RegAccess::ReadWrite && status.code == kRegCantRead) status.code = kRegCantWrite;
  return status;
}

std::string JoinPath(const std::string& base, const std::string& relative) {
  if (base.empty()) return relative;
  if (relative.empty()) return base;
  return base + "\\" + relative;
}

}  // namespace

// ---- keys ------------------------------------------------------------------

void RegistryKey::Close() {
  store_ = nullptr;
  path_.clear();
}

RegStatus RegistryKey::OpenSubKey(std::string_view relativePath, RegAccess access, RegDisposition disposition,
                                  RegistryKey& subKey) const {
  if (!store_) return kRegInvalidHandle;
  std::string relative;
  if (!NormalizeKeyPath(relativePath, relative)) return kRegInvalidParameter;
  return store_->OpenKey(root_, JoinPath(path_, relative), access, disposition, subKey);
}

RegStatus RegistryKey::ReadValue(std::string_view name, RegValue& value) const {
  if (!store_) return kRegInvalidHandle;
  return store_->DoReadValue(root_, path_, name, value);
}

RegStatus RegistryKey::ReadString(std::string_view name, std::string& text) const {
  RegValue value;
  RegStatus status = ReadValue(name, value);
  if (!status) return status;
  if (!value.IsString()) return kRegCantRead;
  text = std::move(value.data);
  return {};
}

RegStatus RegistryKey::ReadAsText(std::string_view name, std::string& text) const {
  if (!store_) return kRegInvalidHandle;
  RegValue value;
  RegStatus status = ReadValue(name, value);
  if (status.code == kRegFileNotFound) return kRegCantRead;
  if (!status) return status;
  std::uint32_t number = 0;
  if (value.IsString() || value.type == RegType::Binary) {
    text = std::move(value.data);
  } else if (value.AsDword(number)) {
    text = std::to_string(number);
  } else {
    return kRegCantRead;
  }
  return {};
}

bool RegistryKey::HasValue(std::string_view name) const {
  RegValue value;
  return ReadValue(name, value).ok();
}

RegStatus RegistryKey::WriteValue(std::string_view name, const RegValue& value) {
  if (!store_) return kRegInvalidHandle;
  if (access_ != RegAccess::ReadWrite) return kRegAccessDenied;
  if (!ValidValueName(name)) return kRegInvalidParameter;
  return store_->DoWriteValue(root_, path_, name, value);
}

RegStatus RegistryKey::WriteString(std::string_view name, const std::string& text) {
  return WriteValue(name, RegValue::String(text));
}

RegStatus RegistryKey::DeleteValue(std::string_view name) {
  if (!store_) return kRegInvalidHandle;
  if (access_ != RegAccess::ReadWrite) return kRegAccessDenied;
  return store_->DoDeleteValue(root_, path_, name);
}

RegStatus RegistryKey::ValueNames(std::vector<std::string>& names) const {
  names.clear();
  if (!store_) return kRegInvalidHandle;
  return store_->DoValueNames(root_, path_, names);
}

RegStatus RegistryKey::SubKeyNames(std::vector<std::string>& names) const {
  names.clear();
  if (!store_) return kRegInvalidHandle;
  return store_->DoSubKeyNames(root_, path_, names);
}

// ---- store -----------------------------------------------------------------

RegStatus RegistryStore::OpenKey(RegistryRoot root, std::string_view path, RegAccess access,
                                 RegDisposition disposition, RegistryKey& key) {
  key.Close();
  std::string normalized;
  if (!NormalizeKeyPath(path, normalized)) return kRegInvalidParameter;
  if (RegStatus readable = Readable(*this, root, normalized, access); !readable) return readable;
  if (access == RegAccess::ReadWrite && !DoCanWrite(root, normalized)) return kRegAccessDenied;
  if (!DoKeyExists(root, normalized)) {
    if (disposition == RegDisposition::OpenExisting) return kRegFileNotFound;
    if (!DoCanWrite(root, normalized)) return kRegAccessDenied;
    RegStatus created = DoCreateKey(root, normalized);
    if (!created) return created;
  }
  key.store_ = this;
  key.root_ = root;
  key.path_ = std::move(normalized);
  key.access_ = access;
  return {};
}

bool RegistryStore::KeyExists(RegistryRoot root, std::string_view path) {
  std::string normalized;
  return NormalizeKeyPath(path, normalized) && DoKeyExists(root, normalized);
}

RegStatus RegistryStore::CreateKey(RegistryRoot root, std::string_view path) {
  std::string normalized;
  if (!NormalizeKeyPath(path, normalized)) return kRegInvalidParameter;
  if (RegStatus readable = Readable(*this, root, normalized, RegAccess::ReadWrite); !readable) return readable;
  if (DoKeyExists(root, normalized)) return {};
  if (!DoCanWrite(root, normalized)) return kRegAccessDenied;
  return DoCreateKey(root, normalized);
}

RegStatus RegistryStore::DeleteKey(RegistryRoot root, std::string_view path) {
  std::string normalized;
  if (!NormalizeKeyPath(path, normalized) || normalized.empty()) return kRegInvalidParameter;
  if (RegStatus readable = Readable(*this, root, normalized, RegAccess::ReadWrite); !readable) return readable;
  if (!DoKeyExists(root, normalized)) return kRegFileNotFound;
  if (!DoCanWrite(root, normalized)) return kRegAccessDenied;
  return DoDeleteKey(root, normalized);
}

RegStatus RegistryStore::ConnectRegistry(std::string_view computerName, RegistryRoot root, RegistryKey& rootKey) {
  rootKey.Close();
  std::string name(computerName);
  while (!name.empty() && name.front() == '\\') name.erase(0, 1);
  if (!name.empty()) {
    const std::string host = ComputerName();
    if (host.empty() || RegUpper(name) != RegUpper(host)) return kRegBadNetPath;
  }
  RegAccess access = DoCanWrite(root, "") ? RegAccess::ReadWrite : RegAccess::Read;
  return OpenKey(root, "", access, RegDisposition::OpenExisting, rootKey);
}

std::unique_ptr<RegistryNotification> RegistryStore::NotifyChanges(const RegistryKey& key, std::uint32_t filter,
                                                                   RegStatus& status) {
  if (!key.IsOpen() || key.store_ != this) {
    status = kRegInvalidHandle;
    return nullptr;
  }
  status = {};
  return DoNotify(key.Root(), key.Path(), filter == 0 ? kRegNotifyDefaultFilter : filter, status);
}

}  // namespace vz::platform
