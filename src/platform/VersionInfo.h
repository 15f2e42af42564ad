#pragma once
// Contract: the version information of a Windows program file (the
// VS_VERSIONINFO resource of a PE image), read by portable code. Files without
// one (ELF programs, text, missing, truncated or malformed files) simply have
// none. Texts are given in UTF-8.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vz::platform {

struct FileVersionInfo {
  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyRight;
  std::string LegalTradeMark;
  std::string OriginalFileName;
  std::string ProductName;
  std::string ProductVersion;
  std::string Comments;
  bool operator==(const FileVersionInfo&) const = default;
};

// The ten keys in the order the fields are filled, and the field of each.
inline constexpr const char* kVersionInfoKeys[10] = {
    "CompanyName", "FileDescription",  "FileVersion", "InternalName",   "LegalCopyRight",
    "LegalTradeMark", "OriginalFileName", "ProductName", "ProductVersion", "Comments"};
std::string& VersionInfoField(FileVersionInfo& info, int index);

// Reads `size` bytes at `offset` into `out`; false when they are not all there.
using ByteReader = std::function<bool(std::uint64_t offset, std::size_t size, std::string& out)>;

// The raw version information block of a PE image, nullopt when it has none.
std::optional<std::string> ExtractVersionBlock(const ByteReader& read);
std::optional<std::string> ExtractVersionBlock(std::string_view image);
// The same from a file (reads only the headers and the resource it needs). A
// path that does not name a regular file, or names a link, has none.
std::optional<std::string> GetFileVersionInfoBlock(const std::string& path);

// Looks up a value in a block by its path, as "\VarFileInfo\Translation" or
// "\StringFileInfo\040904E4\CompanyName" (names compared without case). The
// raw value bytes; nullopt when the path does not lead to a value.
std::optional<std::string_view> QueryVersionValue(std::string_view block, std::string_view subBlock);
// The first translation entry: language in the low 16 bits, code page in the high 16 bits.
std::optional<std::uint32_t> QueryFirstTranslation(std::string_view block);
// A string value as UTF-8 (up to its terminating NUL).
std::optional<std::string> QueryVersionString(std::string_view block, std::string_view subBlock);

// The ten fields from a block: for each key, "\StringFileInfo\" + language and
// code page of the first translation as 8 upper-case hex digits + "\" + key.
FileVersionInfo VersionInfoFromBlock(std::string_view block);
// The ten fields of a file; all empty when it has no version information. An
// empty path means the running program's own file.
FileVersionInfo ReadVersionInfo(const std::string& path);

// A program file and, when known, the process that runs it.
struct ProgramFile {
  std::string path;
  std::uint32_t pid = 0;        // 0: no process
  std::uint64_t startTime = 0;  // the process's start time; tells a reused PID apart
};
// The ten fields of a program. While its process runs with that start time
// they come from the process's own image, which is the file that runs even
// after its path was replaced or removed; otherwise from the path.
FileVersionInfo ReadProgramVersionInfo(const ProgramFile& program);

}  // namespace vz::platform
