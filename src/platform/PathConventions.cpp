#include "platform/PathConventions.h"

namespace vz::platform {

std::string PathConventions::IncludeTrailingSeparator(const std::string& path) const {
  if (!path.empty() && path.back() == separator) return path;
  return path + separator;
}

std::string PathConventions::ExcludeTrailingSeparator(const std::string& path) const {
  if (!path.empty() && path.back() == separator) return path.substr(0, path.size() - 1);
  return path;
}

std::string PathConventions::FolderPart(const std::string& path) const {
  auto pos = path.rfind(separator);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string PathConventions::NamePart(const std::string& path) const {
  auto pos = path.rfind(separator);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

const PathConventions& LinuxPathConventions() {
  static const PathConventions conventions{'/', "bin", {"sbin", "local/bin", "libexec"}};
  return conventions;
}

const PathConventions& WindowsPathConventions() {
  static const PathConventions conventions{
      '\\', "system32", {"ServicePackFiles\\i386", "LastGood\\System32", "system32\\dllcache"}};
  return conventions;
}

}  // namespace vz::platform
