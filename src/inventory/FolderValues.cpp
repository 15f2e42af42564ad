#include "inventory/FolderValues.h"

namespace vz::inventory {

namespace {
// The folder values are read into a buffer of this size; longer data is cut.
constexpr size_t kValueBufferSize = 1025;
}  // namespace

std::string FolderValues::ReadThroughConnection(const char* keyPath, const char* valueName) const {
  platform::RegistryKey root;
  if (!registry_->ConnectRegistry(computerName_, platform::RegistryRoot::LocalMachine, root)) return std::string();
  platform::RegistryKey key;
  if (!root.OpenSubKey(keyPath, platform::RegAccess::Read, platform::RegDisposition::OpenExisting, key))
    return std::string();
  platform::RegValue value;
  if (!key.ReadValue(valueName, value)) return std::string();
  std::string text = value.data.substr(0, kValueBufferSize);
  // The text up to the first NUL.
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

FixedFolderValues FolderValues::Fix() const {
  FixedFolderValues fixed;
  fixed.systemRoot = ReadSystemRoot();
  fixed.commonFiles = ReadCommonFilesDir();
  try {
    fixed.programFiles = ReadProgramFilesDir();
  } catch (const ERegistryException& e) {
    fixed.programFilesError = e.what();
  }
  return fixed;
}

std::string FolderValues::ReadSystemRoot() const {
  if (!registry_) return fixed_.systemRoot;
  return ReadThroughConnection("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot");
}

std::string FolderValues::ReadCommonFilesDir() const {
  if (!registry_) return fixed_.commonFiles;
  return ReadThroughConnection("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir");
}

std::string FolderValues::ReadProgramFilesDir() const {
  if (!registry_) {
    if (!fixed_.programFilesError.empty()) throw ERegistryException(fixed_.programFilesError);
    return fixed_.programFiles;
  }
  platform::RegistryKey key;
  platform::RegStatus status = registry_->OpenKey(platform::RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion",
                                                 platform::RegAccess::Read, platform::RegDisposition::OpenExisting, key);
  if (!status) throw ERegistryException(status.Text());
  std::string text;
  status = key.ReadAsText("ProgramFilesDIR", text);
  if (!status) throw ERegistryException(status.Text());
  return text;
}

}  // namespace vz::inventory
