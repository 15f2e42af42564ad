// Weak stand-ins for the two file-date functions the start-up load uses, so
// this test binary links before the platform's file-metadata implementation is
// in the tree. Once it is, its strong definitions take precedence.
#include <sys/stat.h>

#include <ctime>

#include "platform/FileMetadata.h"

namespace vz::platform {

__attribute__((weak)) DosDateTime PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
  const std::uint32_t date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const std::uint32_t time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

__attribute__((weak)) std::int64_t FileDateOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  std::tm local{};
  const std::time_t seconds = st.st_mtime;
  if (::localtime_r(&seconds, &local) == nullptr) return -1;
  return PackDosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                         local.tm_sec);
}

}  // namespace vz::platform
