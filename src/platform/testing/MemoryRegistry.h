#pragma once
// An in-memory registry for unit tests: both roots as hives in memory, the Run
// keys as ordinary keys that exist from the start and list their values sorted
// by name (as on the real system), change notification through a condition
// variable.
// A root can be made read-only to act like HKEY_LOCAL_MACHINE for a user
// without administrator rights.
#include <memory>

#include "platform/Registry.h"

namespace vz::platform::testing {

class MemoryRegistry final : public RegistryStore {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  // Opening a key of the root with write access then fails with kRegAccessDenied.
  void SetReadOnly(RegistryRoot root, bool readOnly);
  // Number of successful writes (values set or deleted, keys created or deleted).
  int WriteCount() const;

  bool DoKeyExists(RegistryRoot root, const std::string& path) override;
  RegStatus DoCreateKey(RegistryRoot root, const std::string& path) override;
  RegStatus DoDeleteKey(RegistryRoot root, const std::string& path) override;
  bool DoCanWrite(RegistryRoot root, const std::string& path) override;
  RegStatus DoReadValue(RegistryRoot root, const std::string& path, std::string_view name,
                        RegValue& value) override;
  RegStatus DoWriteValue(RegistryRoot root, const std::string& path, std::string_view name,
                         const RegValue& value) override;
  RegStatus DoDeleteValue(RegistryRoot root, const std::string& path, std::string_view name) override;
  RegStatus DoValueNames(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
  RegStatus DoSubKeyNames(RegistryRoot root, const std::string& path, std::vector<std::string>& names) override;
  std::unique_ptr<RegistryNotification> DoNotify(RegistryRoot root, const std::string& path, std::uint32_t filter,
                                                 RegStatus& status) override;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vz::platform::testing
