#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/PathConventions.h"
#include "platform/linux/DescriptorFile.h"

namespace vz::platform {

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EntryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool RemoveFile(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }

std::optional<std::int64_t> FileSize(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return linuxfs::IdentityFromStat(st);
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path.empty() ? std::string(".") : path, ec);
  if (ec) return path;
  std::string text = absolute.lexically_normal().string();
  // "dir/." normalises to "dir/": a folder keeps its trailing separator only
  // when the caller gave one.
  const char separator = HostPathConventions().separator;
  if (text.size() > 1 && text.back() == separator && !path.empty() && path.back() != separator) text.pop_back();
  return text;
}

std::string IncludeTrailingSeparator(const std::string& path) {
  return HostPathConventions().IncludeTrailingSeparator(path);
}

std::string ExcludeTrailingSeparator(const std::string& path) {
  return HostPathConventions().ExcludeTrailingSeparator(path);
}

std::string FolderPart(const std::string& path) { return HostPathConventions().FolderPart(path); }

std::string NamePart(const std::string& path) { return HostPathConventions().NamePart(path); }

}  // namespace vz::platform
