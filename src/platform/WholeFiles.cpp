// Whole-file reads and atomic replacement, built on the file layer.
#include "platform/FileSystem.h"

namespace vz::platform {

namespace {

FileStatus TooLarge(const std::string& path, std::int64_t maxSize) {
  return {FileError::TooLarge, path + ": larger than " + std::to_string(maxSize) + " bytes"};
}

}  // namespace

FileStatus ReadToEnd(OpenedFile& file, std::string& contents, std::int64_t maxSize) {
  contents.clear();
  const std::int64_t size = file.Size();
  if (size - file.Position() > maxSize) return TooLarge(file.Path(), maxSize);
  if (size > file.Position()) contents.reserve(static_cast<std::size_t>(size - file.Position()));
  // Read to the end, not to the size seen: the file may still be growing.
  char buffer[65536];
  for (;;) {
    std::int64_t n = file.Read(buffer, sizeof buffer);
    if (n < 0) return {FileError::Failed, file.Path() + ": read error"};
    if (n == 0) return {};
    if (static_cast<std::int64_t>(contents.size()) + n > maxSize) return TooLarge(file.Path(), maxSize);
    contents.append(buffer, static_cast<std::size_t>(n));
  }
}

FileStatus ReadWholeFile(const std::string& path, std::string& contents, std::int64_t maxSize) {
  contents.clear();
  FileStatus status;
  auto file = OpenExistingFile(path, FileAccess::Read, LinkPolicy::Follow, status);
  if (!file) return status;
  return ReadToEnd(*file, contents, maxSize);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::int64_t maxSize) {
  std::string contents;
  if (!ReadWholeFile(path, contents, maxSize)) return std::nullopt;
  return contents;
}

FileStatus WriteFileAtomic(const std::string& path, std::string_view contents) {
  FileStatus status;
  WriteOptions options;
  options.keepPermissionsOfReplaced = true;
  auto file = BeginFileWrite(path, status, options);
  if (!file) return status;
  if (!file->Write(contents.data(), static_cast<std::int64_t>(contents.size())))
    return {FileError::Failed, path + ": cannot write the new contents"};
  return file->Commit();
}

}  // namespace vz::platform
