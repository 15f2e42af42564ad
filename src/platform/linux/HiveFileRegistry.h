#pragma once
// The registry on Linux: one hive file per root, the Run keys as autostart
// folders, change notification over inotify.
#include <mutex>
#include <string>

#include "platform/Registry.h"
#include "platform/linux/AutostartFolder.h"
#include "platform/linux/HiveFile.h"

namespace vz::platform::hivefs {

// What a watcher compares: the subtree of the hive and, when the subtree holds
// the Run key, the listing of its folder.
struct WatchState {
  HiveSnapshot hive;
  std::string runListing;
};

// The folders a watcher of a key needs to see changes in.
struct WatchFolders {
  std::string hiveFolder;
  std::string runFolder;  // "" when the subtree does not hold the Run key
};

class HiveFileRegistry final : public RegistryStore {
 public:
  explicit HiveFileRegistry(const RegistryLocations& locations);

  RegStatus DoReadableStatus(RegistryRoot root, const std::string& path) override;
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

  WatchState CaptureState(RegistryRoot root, const std::string& path);
  WatchFolders FoldersFor(RegistryRoot root, const std::string& path);

 private:
  HiveFile& HiveOf(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? user_ : machine_; }
  AutostartFolder& RunOf(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? userRun_ : machineRun_; }
  void SeedMachineFolders();

  std::mutex mutex_;
  HiveFile machine_;
  HiveFile user_;
  AutostartFolder machineRun_;
  AutostartFolder userRun_;
};

bool StateChanged(const WatchState& before, const WatchState& after, std::uint32_t filter);
std::unique_ptr<RegistryNotification> MakeInotifyNotification(HiveFileRegistry& store, RegistryRoot root,
                                                               const std::string& path, std::uint32_t filter,
                                                               RegStatus& status);

}  // namespace vz::platform::hivefs
