#pragma once
// One hive file on disk and its loaded form. Reads see other processes'
// writes: the file is only ever replaced whole (rename), so a changed identity
// means "load again", and the open file of the last load keeps its inode
// number from being reused meanwhile. Writes take an exclusive flock on
// "<hive>.lock", load the newest file, apply the change and replace the file
// atomically. A damaged file is copied to "<hive>.bad" before it is rewritten.
// A file that is there but cannot be read is never taken as empty: reads
// report the error and writes are refused, so the file is kept as it is.
// Not thread-safe: the store serialises access.
#include <functional>
#include <memory>
#include <string>

#include "platform/OpenedFile.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"

namespace vz::platform::hivefs {

class HiveFile {
 public:
  HiveFile(RegistryRoot root, std::string path);
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return path_; }
  std::string Folder() const;
  // The loaded hive, fresh from disk (empty when the file is missing or unreadable).
  Hive& Current();
  // Success, or the error every read of the hive reports: kRegAccessDenied
  // when the file may not be read, kRegCantRead when it cannot be.
  RegStatus ReadStatus();
  // Whether this process may replace the file (it could be read, and its
  // folder and the file itself are writable).
  bool Writable();
  // Applied to every loaded hive (values this platform supplies when missing),
  // from the next access on.
  void SetLoadFilter(std::function<void(Hive&)> filter) {
    loadFilter_ = std::move(filter);
    loaded_ = false;
  }

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
  bool present_ = false;  // a file was read at the last load
  std::unique_ptr<OpenedFile> held_;
  FileIdentity identity_;
  FileStatus readError_;  // why the file that is there could not be read
  bool damaged_ = false;
  std::function<void(Hive&)> loadFilter_;
};

// The registry error for a file that could not be written.
RegStatus WriteFailure(const FileStatus& status);

}  // namespace vz::platform::hivefs
