#pragma once
// Contract: the plain file operations the Parts use. Paths are byte strings.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vz::platform {

inline constexpr char kPathSeparator = '/';

bool FileExists(const std::string& path);     // a regular file (or link to one)
bool FolderExists(const std::string& path);
bool RemoveFile(const std::string& path);     // false when it could not be removed
std::optional<std::int64_t> FileSize(const std::string& path);

// Whole file as bytes; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file atomically: writes a temporary file in the same folder,
// fsyncs it, renames it over the target and fsyncs the folder. On failure the
// old file is untouched and errorText says why.
bool WriteFileAtomic(const std::string& path, const std::string& contents, std::string* errorText = nullptr);

// Text helpers for the separator of this platform.
std::string IncludeTrailingSeparator(const std::string& path);
std::string ExcludeTrailingSeparator(const std::string& path);
// Everything up to and including the last separator ("" when there is none).
std::string FolderPart(const std::string& path);
// Everything after the last separator.
std::string NamePart(const std::string& path);

}  // namespace vz::platform
