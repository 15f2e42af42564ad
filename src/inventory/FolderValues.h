#pragma once
// The machine's folder values the file origin rules compare with, read from
// the machine's registry on every use (never cached).
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace vz::inventory {

// A registry value that could not be read as the caller needed it.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The three values as read at one moment, for a reader on another thread.
struct FixedFolderValues {
  std::string systemRoot;
  std::string programFiles;
  std::string programFilesError;  // non-empty: the Program Files folder could not be read
  std::string commonFiles;
};

class FolderValues {
 public:
  explicit FolderValues(platform::RegistryStore& registry, std::string computerName = std::string())
      : registry_(&registry), computerName_(std::move(computerName)) {}
  // Values that never change and touch no registry.
  explicit FolderValues(FixedFolderValues fixed) : fixed_(std::move(fixed)) {}

  // Reads all three now.
  FixedFolderValues Fix() const;

  // "SystemRoot" of "SOFTWARE\Microsoft\Windows NT\CurrentVersion"; "" on any failure.
  std::string ReadSystemRoot() const;
  // "ProgramFilesDIR" of "\Software\Microsoft\Windows\CurrentVersion", converted
  // by its type (strings as text, an integer as its number, binary data as its
  // bytes). Throws ERegistryException with the system's text when the key does
  // not open or the value is missing or of another type.
  std::string ReadProgramFilesDir() const;
  // "CommonFilesDir" of "SOFTWARE\Microsoft\Windows\CurrentVersion"; "" on any failure.
  std::string ReadCommonFilesDir() const;

  // The computer whose registry is read ("" = this one).
  const std::string& ComputerName() const { return computerName_; }

 private:
  std::string ReadThroughConnection(const char* keyPath, const char* valueName) const;

  platform::RegistryStore* registry_ = nullptr;
  std::string computerName_;
  FixedFolderValues fixed_;
};

}  // namespace vz::inventory
