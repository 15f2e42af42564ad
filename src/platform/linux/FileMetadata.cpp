#include "platform/FileMetadata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/OpenedFile.h"
#include "platform/linux/DescriptorMetadata.h"

namespace vz::platform {

namespace {

constexpr const char* kDosAttributeName = "user.DOSATTRIB";
constexpr std::uint32_t kKeptInAttribute = kAttrHidden | kAttrSystem | kAttrArchive;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// The DOS attribute bits kept in the extended attribute, in the form Samba
// writes them as text ("0x20"); 0 when there are none.
std::uint32_t ParseDosBits(std::string_view text) {
  if (text.size() <= 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
  std::string digits(text.substr(2));
  return static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16)) & kKeptInAttribute;
}

std::uint32_t StoredDosBits(int fd) {
  char text[64] = {};
  ssize_t n = ::fgetxattr(fd, kDosAttributeName, text, sizeof text - 1);
  return n > 0 ? ParseDosBits(std::string_view(text, static_cast<size_t>(n))) : 0;
}

}  // namespace

DosDateTime PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<DosDateTime>(((year - 1980) & 0x7F) << 25 | (month & 0x0F) << 21 | (day & 0x1F) << 16 |
                                  (hour & 0x1F) << 11 | (minute & 0x3F) << 5 | ((second / 2) & 0x1F));
}

DosDateTime DosDateTimeFromUnix(std::int64_t unixSeconds) {
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local {};
  if (!::localtime_r(&t, &local)) return PackDosDateTime(1980, 1, 1, 0, 0, 0);
  int year = local.tm_year + 1900;
  // The packed form covers 1980 to 2107; times outside are clamped to its ends.
  if (year < 1980) return PackDosDateTime(1980, 1, 1, 0, 0, 0);
  if (year > 2107) return PackDosDateTime(2107, 12, 31, 23, 59, 58);
  return PackDosDateTime(year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

std::int64_t UnixFromDosDateTime(DosDateTime value) {
  std::tm local {};
  local.tm_year = static_cast<int>((value >> 25) & 0x7F) + 1980 - 1900;
  local.tm_mon = static_cast<int>((value >> 21) & 0x0F) - 1;
  local.tm_mday = static_cast<int>((value >> 16) & 0x1F);
  local.tm_hour = static_cast<int>((value >> 11) & 0x1F);
  local.tm_min = static_cast<int>((value >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(value & 0x1F) * 2;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

std::int64_t FileDateOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
  return DosDateTimeFromUnix(static_cast<std::int64_t>(st.st_mtim.tv_sec));
}

bool SetFileDate(const std::string& path, DosDateTime value) {
  FileStatus status;
  auto file = OpenExistingFile(path, FileAccess::Read, LinkPolicy::Refuse, status);
  return file && file->SetDate(value);
}

std::uint32_t DosAttributesOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  std::uint32_t bits = 0;
  char text[64] = {};
  ssize_t n = ::getxattr(path.c_str(), kDosAttributeName, text, sizeof text - 1);
  if (n > 0) bits = ParseDosBits(std::string_view(text, static_cast<size_t>(n)));
  if ((st.st_mode & kWriteBits) == 0) bits |= kAttrReadOnly;
  return bits;
}

bool SetDosAttributes(const std::string& path, std::uint32_t attributes) {
  FileStatus status;
  auto file = OpenExistingFile(path, FileAccess::Read, LinkPolicy::Refuse, status);
  return file && file->SetDosAttributes(attributes);
}

namespace linuxfs {

bool SetDateOfDescriptor(int fd, DosDateTime value) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<std::time_t>(UnixFromDosDateTime(value));
  times[1].tv_nsec = 0;
  return ::futimens(fd, times) == 0;
}

bool SetDosAttributesOfDescriptor(int fd, std::uint32_t attributes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  const mode_t before = st.st_mode & 07777;
  mode_t after = before;
  if (attributes & kAttrReadOnly) {
    after &= ~kWriteBits;
  } else if ((after & kWriteBits) == 0) {
    after |= S_IWUSR;
  }
  // User attributes can only be written while the owner may write the file.
  std::uint32_t kept = attributes & kKeptInAttribute;
  if (kept != 0 || StoredDosBits(fd) != 0) {
    if ((before & S_IWUSR) == 0) ::fchmod(fd, before | S_IWUSR);
    char text[16];
    int n = std::snprintf(text, sizeof text, "0x%x", kept);
    // Where the file system keeps no user attributes the bits are not kept.
    ::fsetxattr(fd, kDosAttributeName, text, static_cast<size_t>(n), 0);
    if ((before & S_IWUSR) == 0 && ::fchmod(fd, before) != 0) return false;
  }
  return after == before || ::fchmod(fd, after) == 0;
}

}  // namespace linuxfs

}  // namespace vz::platform
