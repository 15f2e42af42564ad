#include "platform/linux/HiveFileRegistry.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/FileSystem.h"

namespace vz::platform::hivefs {

namespace {

// The Run key as it is spelled when it has to be shown as a subkey.
constexpr std::string_view kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The folder values this platform gives the machine hive.
struct FolderValue {
  const char* key;
  const char* name;
  const char* data;
};
constexpr FolderValue kFolderValues[] = {
    {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "/usr"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "/opt"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir", "/usr/lib"},
};

bool IsRunKey(const std::string& path) { return RegUpper(path) == kRunKeyUpper; }

// The path lies above the Run key (the root "" included).
bool IsAboveRunKey(const std::string& path) {
  if (path.empty()) return true;
  std::string upper = RegUpper(path);
  return upper.size() < kRunKeyUpper.size() && kRunKeyUpper.compare(0, upper.size(), upper) == 0 &&
         kRunKeyUpper[upper.size()] == '\\';
}

// Adds the missing folder values; true when any was added.
bool AddMissingFolderValues(Hive& hive, bool stamp) {
  bool added = false;
  for (const auto& v : kFolderValues) {
    HiveKey& key = hive.CreateKey(v.key);
    if (key.Find(v.name)) continue;
    if (stamp) {
      hive.SetValue(key, v.name, RegValue::String(v.data));
    } else {
      hive.PutValue(key, v.name, RegValue::String(v.data));
    }
    added = true;
  }
  return added;
}

void MakeFolders(const std::string& folder) {
  std::size_t pos = 0;
  while ((pos = folder.find('/', pos + 1)) != std::string::npos) ::mkdir(folder.substr(0, pos).c_str(), 0755);
  ::mkdir(folder.c_str(), 0755);
}

}  // namespace

HiveFileRegistry::HiveFileRegistry(const RegistryLocations& locations)
    : machine_(RegistryRoot::LocalMachine, locations.machineHive),
      user_(RegistryRoot::CurrentUser, locations.userHive),
      machineRun_(locations.machineAutostart),
      userRun_(locations.userAutostart) {
  MakeFolders(ExcludeTrailingSeparator(machine_.Folder()));
  MakeFolders(ExcludeTrailingSeparator(user_.Folder()));
  if (locations.seedMachineFolders) SeedMachineFolders();
}

void HiveFileRegistry::SeedMachineFolders() {
  if (machine_.Writable()) {
    RegStatus status = machine_.Mutate([](Hive& hive, bool& changed) {
      changed = AddMissingFolderValues(hive, true);
      return RegStatus();
    });
    if (status) return;
  }
  // A hive this process may not write still shows the values where they are missing.
  machine_.SetLoadFilter([](Hive& hive) { AddMissingFolderValues(hive, false); });
}

RegStatus HiveFileRegistry::DoReadableStatus(RegistryRoot root, const std::string& path) {
  if (IsRunKey(path)) return {};  // its folder, not the hive
  std::lock_guard lock(mutex_);
  return HiveOf(root).ReadStatus();
}

bool HiveFileRegistry::DoKeyExists(RegistryRoot root, const std::string& path) {
  if (IsRunKey(path) || IsAboveRunKey(path)) return true;
  std::lock_guard lock(mutex_);
  return HiveOf(root).Current().FindKey(path) != nullptr;
}

RegStatus HiveFileRegistry::DoCreateKey(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(mutex_);
  if (IsRunKey(path)) return RunOf(root).EnsureFolder();
  return HiveOf(root).Mutate([&](Hive& hive, bool& changed) {
    changed = hive.FindKey(path) == nullptr;
    if (changed) hive.SetLastWrite(hive.CreateKey(path), hive.Serial() + 1);
    return RegStatus();
  });
}

RegStatus HiveFileRegistry::DoDeleteKey(RegistryRoot root, const std::string& path) {
  if (IsRunKey(path)) return kRegAccessDenied;  // the autostart folder is not ours to remove
  std::lock_guard lock(mutex_);
  return HiveOf(root).Mutate([&](Hive& hive, bool& changed) {
    changed = hive.DeleteKey(path);
    return changed || IsAboveRunKey(path) ? RegStatus() : RegStatus(kRegFileNotFound);
  });
}

bool HiveFileRegistry::DoCanWrite(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(mutex_);
  return IsRunKey(path) ? RunOf(root).Writable() : HiveOf(root).Writable();
}

RegStatus HiveFileRegistry::DoReadValue(RegistryRoot root, const std::string& path, std::string_view name,
                                        RegValue& value) {
  std::lock_guard lock(mutex_);
  if (IsRunKey(path)) return RunOf(root).Read(name, value);
  if (RegStatus readable = HiveOf(root).ReadStatus(); !readable) return readable;
  const HiveKey* key = HiveOf(root).Current().FindKey(path);
  if (!key) return IsAboveRunKey(path) ? kRegFileNotFound : RegStatus(kRegFileNotFound, "key was deleted");
  const HiveValue* found = key->Find(name);
  if (!found) return kRegFileNotFound;
  value = found->value;
  return {};
}

RegStatus HiveFileRegistry::DoWriteValue(RegistryRoot root, const std::string& path, std::string_view name,
                                         const RegValue& value) {
  std::lock_guard lock(mutex_);
  if (IsRunKey(path)) return RunOf(root).Write(name, value);
  return HiveOf(root).Mutate([&](Hive& hive, bool& changed) {
    HiveKey* key = hive.FindKey(path);
    if (!key && !IsAboveRunKey(path)) return RegStatus(kRegFileNotFound, "key was deleted");
    if (!key) key = &hive.CreateKey(path);
    hive.SetValue(*key, name, value);
    changed = true;
    return RegStatus();
  });
}

RegStatus HiveFileRegistry::DoDeleteValue(RegistryRoot root, const std::string& path, std::string_view name) {
  std::lock_guard lock(mutex_);
  if (IsRunKey(path)) return RunOf(root).Delete(name);
  return HiveOf(root).Mutate([&](Hive& hive, bool& changed) {
    HiveKey* key = hive.FindKey(path);
    changed = key && hive.DeleteValue(*key, name);
    return changed ? RegStatus() : RegStatus(kRegFileNotFound);
  });
}

RegStatus HiveFileRegistry::DoValueNames(RegistryRoot root, const std::string& path,
                                         std::vector<std::string>& names) {
  std::lock_guard lock(mutex_);
  if (IsRunKey(path)) {
    for (auto& entry : RunOf(root).List()) names.push_back(std::move(entry.name));
    return {};
  }
  if (RegStatus readable = HiveOf(root).ReadStatus(); !readable) return readable;
  const HiveKey* key = HiveOf(root).Current().FindKey(path);
  if (!key) return IsAboveRunKey(path) ? RegStatus() : RegStatus(kRegFileNotFound);
  for (const auto& v : key->values) names.push_back(v.name);
  return {};
}

RegStatus HiveFileRegistry::DoSubKeyNames(RegistryRoot root, const std::string& path,
                                          std::vector<std::string>& names) {
  std::lock_guard lock(mutex_);
  if (RegStatus readable = HiveOf(root).ReadStatus(); !readable) return readable;
  const Hive& hive = HiveOf(root).Current();
  if (!hive.FindKey(path) && !IsAboveRunKey(path) && !IsRunKey(path)) return kRegFileNotFound;
  names = hive.SubKeyNames(path);
  if (IsAboveRunKey(path)) {
    // The keys on the way to the Run key exist even when the hive lacks them.
    std::size_t start = path.empty() ? 0 : path.size() + 1;
    std::string next(kRunKeyPath.substr(start, kRunKeyPath.find('\\', start) - start));
    bool present = false;
    for (const auto& n : names) present = present || RegUpper(n) == RegUpper(next);
    if (!present) names.push_back(next);
  }
  return {};
}

std::unique_ptr<RegistryNotification> HiveFileRegistry::DoNotify(RegistryRoot root, const std::string& path,
                                                                 std::uint32_t filter, RegStatus& status) {
  if (!DoKeyExists(root, path)) {
    status = kRegFileNotFound;
    return nullptr;
  }
  return MakeInotifyNotification(*this, root, path, filter, status);
}

WatchState HiveFileRegistry::CaptureState(RegistryRoot root, const std::string& path) {
  std::lock_guard lock(mutex_);
  WatchState state;
  state.hive = HiveOf(root).Current().Snapshot(path);
  if (IsRunKey(path) || IsAboveRunKey(path)) state.runListing = RunOf(root).Listing();
  return state;
}

WatchFolders HiveFileRegistry::FoldersFor(RegistryRoot root, const std::string& path) {
  WatchFolders folders;
  folders.hiveFolder = HiveOf(root).Folder();
  if (IsRunKey(path) || IsAboveRunKey(path)) folders.runFolder = RunOf(root).Folder();
  return folders;
}

bool StateChanged(const WatchState& before, const WatchState& after, std::uint32_t filter) {
  if (SnapshotChanged(before.hive, after.hive, filter)) return true;
  return (filter & kNotifyChangeLastSet) != 0 && before.runListing != after.runListing;
}

}  // namespace vz::platform::hivefs
