#include "platform/linux/AutostartFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/linux/HiveFile.h"

namespace vz::platform::hivefs {

namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr long long kMaxEntrySize = 1 << 20;

bool ValidName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// Names of the *.desktop regular files of the folder (unsorted).
std::vector<std::string> DesktopFileNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    std::string_view file = e->d_name;
    if (file.size() <= kSuffix.size() || file.substr(file.size() - kSuffix.size()) != kSuffix) continue;
    names.emplace_back(file);
  }
  ::closedir(dir);
  return names;
}

RegStatus FromErrno(const std::string& what) {
  long code = (errno == EACCES || errno == EPERM || errno == EROFS) ? kRegAccessDenied : kRegCantWrite;
  return RegStatus(code, what + ": " + std::strerror(errno));
}

}  // namespace

AutostartFolder::AutostartFolder(std::string folder) : folder_(IncludeTrailingSeparator(folder)) {}

std::vector<AutostartFolder::Entry> AutostartFolder::List() const {
  std::vector<Entry> entries;
  for (const auto& file : DesktopFileNames(folder_)) {
    std::string path = folder_ + file;
    // Only a regular file of a sensible size: a FIFO here never blocks.
    auto text = ReadWholeFile(path, kMaxEntrySize);
    if (!text) continue;
    auto exec = DesktopEntryExec(*text);
    if (!exec) continue;
    entries.push_back({file.substr(0, file.size() - kSuffix.size()), path, std::move(*exec)});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    std::string ua = RegUpper(a.name), ub = RegUpper(b.name);
    return ua != ub ? ua < ub : a.name < b.name;
  });
  return entries;
}

bool AutostartFolder::Writable() const {
  std::string folder = ExcludeTrailingSeparator(folder_);
  while (!folder.empty()) {
    if (FolderExists(folder)) return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    auto slash = folder.rfind('/');
    if (slash == std::string::npos) return false;
    folder.resize(slash);
  }
  return ::faccessat(AT_FDCWD, "/", W_OK | X_OK, AT_EACCESS) == 0;
}

RegStatus AutostartFolder::EnsureFolder() const {
  std::string path;
  std::string folder = ExcludeTrailingSeparator(folder_);
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    path = folder.substr(0, pos);
    if (path.empty() || FolderExists(path)) continue;
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return FromErrno(path);
  }
  return {};
}

std::string AutostartFolder::FindFile(std::string_view name) const {
  std::string wanted = RegUpper(std::string(name) + std::string(kSuffix));
  std::vector<std::string> files = DesktopFileNames(folder_);
  std::sort(files.begin(), files.end());
  for (const auto& file : files)
    if (RegUpper(file) == wanted) return folder_ + file;
  return {};
}

RegStatus AutostartFolder::Read(std::string_view name, RegValue& value) const {
  for (auto& entry : List()) {
    if (RegUpper(entry.name) == RegUpper(name)) {
      value = RegValue::String(std::move(entry.exec));
      return {};
    }
  }
  return kRegFileNotFound;
}

RegStatus AutostartFolder::Write(std::string_view name, const RegValue& value) const {
  if (!ValidName(name) || !value.IsString()) return kRegInvalidParameter;
  if (RegStatus made = EnsureFolder(); !made) return made;
  std::string path = FindFile(name);
  std::string text;
  if (path.empty()) {
    path = folder_ + std::string(name) + std::string(kSuffix);
    text = MakeDesktopEntry(name, value.data);
  } else {
    // An entry that cannot be read is not replaced by a minimal one.
    std::string old;
    if (FileStatus read = ReadWholeFile(path, old, kMaxEntrySize); !read) return WriteFailure(read);
    text = WithDesktopEntryExec(old, name, value.data);
  }
  if (FileStatus written = WriteFileAtomic(path, text); !written) return WriteFailure(written);
  return {};
}

RegStatus AutostartFolder::Delete(std::string_view name) const {
  if (!ValidName(name)) return kRegFileNotFound;
  std::string path = FindFile(name);
  if (path.empty()) return kRegFileNotFound;
  if (::unlink(path.c_str()) != 0) return FromErrno(path);
  return {};
}

std::string AutostartFolder::Listing() const {
  std::vector<std::string> files = DesktopFileNames(folder_);
  std::sort(files.begin(), files.end());
  std::string listing;
  for (const auto& file : files) {
    struct stat st {};
    if (::stat((folder_ + file).c_str(), &st) != 0) continue;
    listing += file + '|' + std::to_string(st.st_ino) + '|' + std::to_string(st.st_size) + '|' +
               std::to_string(st.st_mtim.tv_sec) + '.' + std::to_string(st.st_mtim.tv_nsec) + '\n';
  }
  return listing;
}

}  // namespace vz::platform::hivefs

namespace vz::platform {

// A Run value is the Exec of a desktop entry: a command line of that format.
std::string StartupCommandFor(const std::string& programPath) { return QuoteExecArgument(programPath); }

}  // namespace vz::platform
