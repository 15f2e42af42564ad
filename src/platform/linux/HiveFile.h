#pragma once
// One hive file on disk and its loaded form. Reads see other processes'
// writes: the file is only ever replaced whole (rename), so a changed inode
// means "load again", and the open descriptor of the loaded file keeps its
// inode number from being reused meanwhile. Writes take an exclusive flock on
// "<hive>.lock", load the newest file, apply the change and replace the file
// atomically. A damaged file is copied to "<hive>.bad" before it is rewritten.
// Not thread-safe: the store serialises access.
#include <sys/types.h>

#include <functional>
#include <string>

#include "platform/Registry.h"
#include "platform/RegistryHive.h"

namespace vz::platform::hivefs {

class HiveFile {
 public:
  HiveFile(RegistryRoot root, std::string path);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return path_; }
  std::string Folder() const;
  // The loaded hive, fresh from disk.
  Hive& Current();
  // Whether this process may replace the file (its folder and the file itself writable).
  bool Writable() const;
  // Applied to every loaded hive (values this platform supplies when missing).
  void SetLoadFilter(std::function<void(Hive&)> filter) { loadFilter_ = std::move(filter); }
  // Whether the last loaded file had lines that were not well-formed.
  bool Damaged() const { return damaged_; }

  // Locks, reloads, runs `change`; writes the file when it reports a change.
  using Change = std::function<RegStatus(Hive&, bool& changed)>;
  RegStatus Mutate(const Change& change);

 private:
  void Refresh();
  void Load();
  RegStatus SaveLocked();
  void RemoveStaleTemporaries() const;

  RegistryRoot root_;
  std::string path_;
  Hive hive_;
  bool loaded_ = false;
  bool present_ = false;  // a file was there at the last load
  int heldFd_ = -1;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  off_t size_ = 0;
  long long mtimeNs_ = 0;
  bool damaged_ = false;
  std::function<void(Hive&)> loadFilter_;
};

}  // namespace vz::platform::hivefs
