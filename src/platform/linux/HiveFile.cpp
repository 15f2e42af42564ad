#include "platform/linux/HiveFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/HiveText.h"

namespace vz::platform::hivefs {

namespace {

bool CanWritePath(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

}  // namespace

RegStatus WriteFailure(const FileStatus& status) {
  return RegStatus(status.error == FileError::AccessDenied ? kRegAccessDenied : kRegCantWrite, status.text);
}

HiveFile::HiveFile(RegistryRoot root, std::string path) : root_(root), path_(std::move(path)) {}

std::string HiveFile::Folder() const {
  std::string folder = FolderPart(path_);
  return folder.empty() ? std::string("./") : folder;
}

bool HiveFile::Writable() {
  Refresh();
  if (!readError_.ok()) return false;
  std::string folder = Folder();
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return false;
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !CanWritePath(path_)) return false;
  return true;
}

Hive& HiveFile::Current() {
  Refresh();
  return hive_;
}

RegStatus HiveFile::ReadStatus() {
  Refresh();
  if (readError_.ok()) return {};
  return RegStatus(readError_.error == FileError::AccessDenied ? kRegAccessDenied : kRegCantRead, readError_.text);
}

void HiveFile::Refresh() {
  // A file that could not be read is tried again: its error may be gone.
  if (!loaded_ || !readError_.ok()) return Load();
  std::optional<FileIdentity> now = IdentityOf(path_);
  if (now.has_value() != present_) return Load();
  if (now && *now != identity_) Load();
}

void HiveFile::Load() {
  hive_ = Hive();
  damaged_ = false;
  loaded_ = true;
  present_ = false;
  readError_ = {};
  held_.reset();
  FileStatus status;
  auto file = OpenExistingFile(path_, FileAccess::Read, LinkPolicy::Follow, status);
  std::string text;
  FileIdentity identity;
  if (file) {
    identity = file->Identity();
    status = ReadToEnd(*file, text, kWholeFileLimit);
  }
  if (status.ok()) {
    present_ = true;
    held_ = std::move(file);
    identity_ = identity;
    damaged_ = ParseHiveText(text, RegistryRootName(root_), hive_).damaged;
  } else if (status.error != FileError::NotFound) {
    readError_ = status;
    return;  // nothing is supplied for a hive that is there but unreadable
  }
  if (loadFilter_) loadFilter_(hive_);
}

RegStatus HiveFile::Mutate(const Change& change) {
  std::string lockPath = path_ + ".lock";
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (lockFd < 0) lockFd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (lockFd < 0) {
    long code = (errno == EACCES || errno == EROFS || errno == EPERM) ? kRegAccessDenied : kRegCantWrite;
    return RegStatus(code, lockPath + ": " + std::strerror(errno));
  }
  while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
  }
  Refresh();
  if (!readError_.ok()) {
    ::close(lockFd);
    return WriteFailure(readError_);  // what cannot be read is never overwritten
  }
  bool changed = false;
  RegStatus status = change(hive_, changed);
  if (status && changed) status = SaveLocked();
  if (!status && changed) Load();  // drop the change that did not reach the file
  ::close(lockFd);                  // releases the lock
  return status;
}

// Temporary files of this hive (the atomic replacement's ".<name>.tmp..." and
// those of its ".bad" copy). Every writer holds the lock while its temporary
// file exists, so under the lock any that is left was a writer killed midway.
void HiveFile::RemoveStaleTemporaries() const {
  std::string folder = Folder();
  std::string name = NamePart(path_);
  std::string prefixes[2] = {"." + name + ".tmp", "." + name + ".bad.tmp"};
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = ::readdir(dir)) {
    std::string_view entry = e->d_name;
    for (const auto& prefix : prefixes)
      if (entry.substr(0, prefix.size()) == prefix) ::unlinkat(::dirfd(dir), e->d_name, 0);
  }
  ::closedir(dir);
}

RegStatus HiveFile::SaveLocked() {
  RemoveStaleTemporaries();
  if (damaged_ && present_) {
    // Keep the damaged original before it is replaced by what could be read of it.
    std::string original;
    FileStatus copied = held_->Seek(0, SeekFrom::Start) == 0 ? ReadToEnd(*held_, original, kWholeFileLimit)
                                                             : FileStatus(FileError::Failed, path_ + ": cannot read");
    if (copied) copied = WriteFileAtomic(path_ + ".bad", original);
    if (!copied) return RegStatus(kRegCantWrite, copied.text);
  }
  if (FileStatus written = WriteFileAtomic(path_, FormatHiveText(hive_, RegistryRootName(root_))); !written)
    return WriteFailure(written);
  // The new file is ours while the lock is held: take it as the loaded one.
  FileStatus status;
  auto file = OpenExistingFile(path_, FileAccess::Read, LinkPolicy::Follow, status);
  if (!file) {
    loaded_ = false;
    return {};
  }
  identity_ = file->Identity();
  held_ = std::move(file);
  present_ = true;
  damaged_ = false;
  return {};
}

}  // namespace vz::platform::hivefs
