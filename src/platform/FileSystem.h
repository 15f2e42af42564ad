#pragma once
// Contract: the plain file operations the Parts use. Paths are byte strings.
// Files are opened and written through the file layer of OpenedFile.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OpenedFile.h"

namespace vz::platform {

bool FileExists(const std::string& path);     // a regular file (or link to one)
bool FolderExists(const std::string& path);
// Anything at the name: a file, a folder, a link (even one that leads nowhere).
bool EntryExists(const std::string& path);
bool RemoveFile(const std::string& path);     // false when it could not be removed
std::optional<std::int64_t> FileSize(const std::string& path);
// The identity of the file the name leads to; nullopt when there is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// More than any list or state file of the shield holds: a larger file is
// refused rather than read into memory.
inline constexpr std::int64_t kWholeFileLimit = std::int64_t{1} << 30;

// The rest of an open file from its position; TooLarge past maxSize bytes.
FileStatus ReadToEnd(OpenedFile& file, std::string& contents, std::int64_t maxSize = kWholeFileLimit);
// A whole regular file (links followed) as bytes; nullopt when it cannot be
// read, is not a regular file or holds more than maxSize bytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::int64_t maxSize = kWholeFileLimit);
// The same, with the reason when it fails (FileError::NotFound: nothing there).
FileStatus ReadWholeFile(const std::string& path, std::string& contents, std::int64_t maxSize = kWholeFileLimit);

// Replaces the file atomically through BeginFileWrite; the new file keeps the
// permissions of the regular file it replaces. On failure the old file is
// untouched and the status says why.
FileStatus WriteFileAtomic(const std::string& path, std::string_view contents);

// The path made absolute against the working folder and lexically normal
// ("." and ".." resolved); "" stands for the working folder.
std::string AbsolutePath(const std::string& path);

// Text helpers for the separator of this platform (HostPathConventions).
std::string IncludeTrailingSeparator(const std::string& path);
std::string ExcludeTrailingSeparator(const std::string& path);
// Everything up to and including the last separator ("" when there is none).
std::string FolderPart(const std::string& path);
// Everything after the last separator.
std::string NamePart(const std::string& path);

}  // namespace vz::platform
