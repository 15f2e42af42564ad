// The file layer on Linux: opening existing regular files, creating new ones,
// and files written under a temporary name that replace their target by rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"
#include "platform/linux/DescriptorFile.h"

namespace vz::platform {

namespace {

using linuxfs::DescriptorFile;
using linuxfs::StatusFromErrno;

constexpr mode_t kNewFileMode = 0644;
// The temporary name keeps the start of the target's name (so the writers of
// one file can find what a killed writer left) and stays within the 255
// bytes a folder entry may have, whatever the target's name.
constexpr std::size_t kKeptNameBytes = 200;

std::string TemporaryName(const std::string& name) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".tmp-%016llx", static_cast<unsigned long long>(random()));
  std::string temporary(1, '.');
  temporary.append(name, 0, kKeptNameBytes).append(suffix);
  return temporary;
}

class TemporaryFile final : public FileBeingWritten {
 public:
  TemporaryFile(int folderFd, int fd, std::string temporaryName, std::string targetName, std::string targetPath,
                bool flushToDisk)
      : folderFd_(folderFd),
        file_(fd, targetPath),
        temporaryName_(std::move(temporaryName)),
        targetName_(std::move(targetName)),
        targetPath_(std::move(targetPath)),
        flushToDisk_(flushToDisk) {}
  ~TemporaryFile() override {
    Discard();
    ::close(folderFd_);
  }

  std::int64_t Read(void* destination, std::int64_t size) override { return file_.Read(destination, size); }
  std::int64_t ReadAt(std::int64_t offset, void* destination, std::int64_t size) override {
    return file_.ReadAt(offset, destination, size);
  }
  bool Write(const void* source, std::int64_t size) override { return !discarded_ && file_.Write(source, size); }
  std::int64_t Seek(std::int64_t offset, SeekFrom from) override { return file_.Seek(offset, from); }
  std::int64_t Position() const override { return file_.Position(); }
  std::int64_t Size() override { return file_.Size(); }
  FileIdentity Identity() override { return file_.Identity(); }
  bool SetDate(DosDateTime value) override { return file_.SetDate(value); }
  bool SetDosAttributes(std::uint32_t attributes) override { return file_.SetDosAttributes(attributes); }
  const std::string& Path() const override { return targetPath_; }

  FileStatus Commit() override {
    if (discarded_) return {FileError::Failed, targetPath_ + ": the file was discarded"};
    if (committed_) return {};
    if ((flushToDisk_ && ::fsync(file_.Descriptor()) != 0) ||
        ::renameat(folderFd_, temporaryName_.c_str(), folderFd_, targetName_.c_str()) != 0) {
      FileStatus status = StatusFromErrno(errno, targetPath_);
      Discard();
      return status;
    }
    committed_ = true;
    // The rename itself reaches the disk with the folder.
    if (flushToDisk_) ::fsync(folderFd_);
    return {};
  }

  void Discard() override {
    if (committed_ || discarded_) return;
    discarded_ = true;
    ::unlinkat(folderFd_, temporaryName_.c_str(), 0);
  }

 private:
  int folderFd_;
  DescriptorFile file_;
  std::string temporaryName_;
  std::string targetName_;
  std::string targetPath_;
  bool flushToDisk_;
  bool committed_ = false;
  bool discarded_ = false;
};

bool IsFileName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

}  // namespace

std::unique_ptr<OpenedFile> OpenExistingFile(const std::string& path, FileAccess access, LinkPolicy links,
                                             FileStatus& status) {
  if (path.empty()) {
    status = {FileError::NotFound, "(no file name)"};
    return nullptr;
  }
  const int flags = access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY;
  int fd = linuxfs::OpenRegularDescriptor(AT_FDCWD, path, flags, links, status, path);
  if (fd < 0) return nullptr;
  return std::make_unique<DescriptorFile>(fd, path);
}

std::unique_ptr<OpenedFile> CreateNewFile(const std::string& path, FileStatus& status) {
  int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
  if (fd < 0) {
    status = path.empty() ? FileStatus(FileError::NotFound, "(no file name)") : StatusFromErrno(errno, path);
    return nullptr;
  }
  status = {};
  return std::make_unique<DescriptorFile>(fd, path);
}

std::unique_ptr<FileBeingWritten> BeginFileWrite(const std::string& targetPath, FileStatus& status,
                                                 const WriteOptions& options) {
  const std::string name = NamePart(targetPath);
  if (!IsFileName(name)) {
    status = {FileError::Failed, targetPath + ": not a file name"};
    return nullptr;
  }
  std::string folder = FolderPart(targetPath);
  if (folder.empty()) folder = ".";
  int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) {
    status = StatusFromErrno(errno, folder);
    return nullptr;
  }
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = TemporaryName(name);
    fd = ::openat(folderFd, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    status = StatusFromErrno(errno, folder + (folder.back() == '/' ? "" : "/") + temporary);
    ::close(folderFd);
    return nullptr;
  }
  struct stat replaced {};
  if (options.keepPermissionsOfReplaced && ::fstatat(folderFd, name.c_str(), &replaced, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(replaced.st_mode))
    ::fchmod(fd, replaced.st_mode & 0777);
  status = {};
  return std::make_unique<TemporaryFile>(folderFd, fd, std::move(temporary), name, targetPath, options.flushToDisk);
}

}  // namespace vz::platform
