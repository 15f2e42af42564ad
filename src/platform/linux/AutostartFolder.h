#pragma once
// A Run key as an XDG autostart folder: value name = desktop file name without
// ".desktop", data = the Exec of its [Desktop Entry] group. Files that are not
// desktop entries are not values.
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace vz::platform::hivefs {

class AutostartFolder {
 public:
  explicit AutostartFolder(std::string folder);
  const std::string& Folder() const { return folder_; }

  struct Entry {
    std::string name;  // file name without ".desktop"
    std::string file;  // full path
    std::string exec;
  };
  // The desktop entries, sorted by name without regard to case.
  std::vector<Entry> List() const;
  // May this process add and remove files (the folder, or the nearest existing
  // folder above it when it is still missing)?
  bool Writable() const;
  RegStatus EnsureFolder() const;

  RegStatus Read(std::string_view name, RegValue& value) const;
  // String types only; writes a minimal entry, or replaces the Exec of an existing one.
  RegStatus Write(std::string_view name, const RegValue& value) const;
  RegStatus Delete(std::string_view name) const;

  // Names and file identities of the *.desktop files: changes whenever one is
  // added, removed or rewritten. For change notification.
  std::string Listing() const;

 private:
  // The existing *.desktop file whose name matches without case ("" if none).
  std::string FindFile(std::string_view name) const;
  std::string folder_;  // with trailing '/'
};

}  // namespace vz::platform::hivefs
