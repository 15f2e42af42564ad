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

long long MtimeNs(const struct stat& st) {
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

bool ReadAll(int fd, std::string& out) {
  out.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

bool CanWritePath(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

}  // namespace

HiveFile::HiveFile(RegistryRoot root, std::string path) : root_(root), path_(std::move(path)) {}

HiveFile::~HiveFile() {
  if (heldFd_ >= 0) ::close(heldFd_);
}

std::string HiveFile::Folder() const {
  std::string folder = FolderPart(path_);
  return folder.empty() ? std::string("./") : folder;
}

bool HiveFile::Writable() const {
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

void HiveFile::Refresh() {
  if (!loaded_) return Load();
  struct stat st {};
  bool present = ::stat(path_.c_str(), &st) == 0;
  if (present != present_) return Load();
  if (!present) return;
  if (st.st_dev != dev_ || st.st_ino != ino_ || st.st_size != size_ || MtimeNs(st) != mtimeNs_) Load();
}

void HiveFile::Load() {
  hive_ = Hive();
  damaged_ = false;
  loaded_ = true;
  present_ = false;
  if (heldFd_ >= 0) ::close(heldFd_);
  heldFd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (heldFd_ >= 0) {
    struct stat st {};
    std::string text;
    if (::fstat(heldFd_, &st) == 0 && ReadAll(heldFd_, text)) {
      present_ = true;
      dev_ = st.st_dev;
      ino_ = st.st_ino;
      size_ = st.st_size;
      mtimeNs_ = MtimeNs(st);
      damaged_ = ParseHiveText(text, RegistryRootName(root_), hive_).damaged;
    }
  }
  if (loadFilter_) loadFilter_(hive_);
}

RegStatus HiveFile::Mutate(const Change& change) {
  std::string lockPath = path_ + ".lock";
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd < 0) lockFd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (lockFd < 0) {
    long code = (errno == EACCES || errno == EROFS || errno == EPERM) ? kRegAccessDenied : kRegCantWrite;
    return RegStatus(code, lockPath + ": " + std::strerror(errno));
  }
  while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
  }
  Refresh();
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
  std::string error;
  RemoveStaleTemporaries();
  if (damaged_ && present_) {
    // Keep the damaged original before it is replaced by what could be read of it.
    std::string original;
    if (::lseek(heldFd_, 0, SEEK_SET) != 0 || !ReadAll(heldFd_, original) ||
        !WriteFileAtomic(path_ + ".bad", original, &error))
      return RegStatus(kRegCantWrite, error.empty() ? path_ + ".bad: cannot copy" : error);
  }
  if (!WriteFileAtomic(path_, FormatHiveText(hive_, RegistryRootName(root_)), &error))
    return RegStatus(errno == EACCES || errno == EROFS ? kRegAccessDenied : kRegCantWrite, error);
  // The new file is ours while the lock is held: take it as the loaded one.
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    loaded_ = false;
    return {};
  }
  if (heldFd_ >= 0) ::close(heldFd_);
  heldFd_ = fd;
  present_ = true;
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  size_ = st.st_size;
  mtimeNs_ = MtimeNs(st);
  damaged_ = false;
  return {};
}

}  // namespace vz::platform::hivefs
