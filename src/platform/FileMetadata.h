#pragma once
// Contract: the MS-DOS file date/time and attribute bits that archives store
// for each file, mapped onto the Linux file system: the modification time in
// local time, the write permission bits, and the user.DOSATTRIB extended
// attribute for hidden/system/archive where the file system allows it.
#include <cstdint>
#include <string>

namespace vz::platform {

// Packed date-time: date in the high 16 bits (bits 9-15 year-1980, 5-8 month,
// 0-4 day), time in the low 16 bits (bits 11-15 hour, 5-10 minute, 0-4 second/2).
using DosDateTime = std::uint32_t;

inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrArchive = 0x20;

// The file's last-write time as a packed date-time; -1 when it cannot be read.
std::int64_t FileDateOf(const std::string& path);
// Sets the modification time of the regular file at path (never through a
// link) from a packed date-time (local time). An open file has its own.
bool SetFileDate(const std::string& path, DosDateTime value);
// Attribute bits of the file (read-only from the permission bits, the others
// from the extended attribute); 0 when unknown.
std::uint32_t DosAttributesOf(const std::string& path);
// Applies attribute bits to the regular file at path (never through a link);
// the extended attribute is silently skipped where unsupported.
bool SetDosAttributes(const std::string& path, std::uint32_t attributes);

// Conversions, exposed for tests and for the age test of the data files.
DosDateTime PackDosDateTime(int year, int month, int day, int hour, int minute, int second);
// Local-time seconds since the epoch <-> packed value.
DosDateTime DosDateTimeFromUnix(std::int64_t unixSeconds);
std::int64_t UnixFromDosDateTime(DosDateTime value);

}  // namespace vz::platform
