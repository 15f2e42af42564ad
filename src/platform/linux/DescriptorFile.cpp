#include "platform/linux/DescriptorFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/linux/DescriptorMetadata.h"

namespace vz::platform::linuxfs {

namespace {

FileStatus Refused(FileError error, const std::string& path, const char* why) { return {error, path + ": " + why}; }

// Opens the file an O_PATH descriptor holds, for real. Through /proc the very
// same file is reached whatever happened to its name meanwhile; without /proc
// the name is opened again and must still lead to the same file.
int Reopen(int pathFd, const struct stat& seen, int folderFd, const std::string& name, int flags, LinkPolicy links) {
  char viaProc[48];
  std::snprintf(viaProc, sizeof viaProc, "/proc/self/fd/%d", pathFd);
  int fd = ::open(viaProc, flags | O_CLOEXEC | O_NOCTTY);
  if (fd >= 0 || errno != ENOENT) return fd;
  fd = ::openat(folderFd, name.c_str(),
                flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (links == LinkPolicy::Refuse ? O_NOFOLLOW : 0));
  if (fd < 0) return -1;
  struct stat now {};
  if (::fstat(fd, &now) != 0 || now.st_dev != seen.st_dev || now.st_ino != seen.st_ino) {
    ::close(fd);
    errno = ESTALE;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

FileIdentity IdentityFromStat(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::int64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

FileStatus StatusFromErrno(int error, const std::string& path) {
  FileError kind = FileError::Failed;
  switch (error) {
    case ENOENT:
    case ENOTDIR: kind = FileError::NotFound; break;
    case EACCES:
    case EPERM:
    case EROFS: kind = FileError::AccessDenied; break;
    case ELOOP: kind = FileError::IsLink; break;
    case EISDIR:
    case ENXIO:
    case ENODEV: kind = FileError::NotRegularFile; break;
    case EFBIG: kind = FileError::TooLarge; break;
    default: break;
  }
  return {kind, path + ": " + std::strerror(error)};
}

int OpenRegularDescriptor(int folderFd, const std::string& name, int flags, LinkPolicy links, FileStatus& status,
                          const std::string& shownPath) {
  int pathFd = ::openat(folderFd, name.c_str(), O_PATH | O_CLOEXEC | (links == LinkPolicy::Refuse ? O_NOFOLLOW : 0));
  if (pathFd < 0) {
    status = StatusFromErrno(errno, shownPath);
    return -1;
  }
  struct stat st {};
  int fd = -1;
  if (::fstat(pathFd, &st) != 0) {
    status = StatusFromErrno(errno, shownPath);
  } else if (S_ISLNK(st.st_mode)) {
    status = Refused(FileError::IsLink, shownPath, "is a symbolic link");
  } else if (!S_ISREG(st.st_mode)) {
    status = Refused(FileError::NotRegularFile, shownPath, "is not a regular file");
  } else {
    fd = Reopen(pathFd, st, folderFd, name, flags, links);
    status = fd < 0 ? StatusFromErrno(errno, shownPath) : FileStatus();
  }
  ::close(pathFd);
  return fd;
}

DescriptorFile::~DescriptorFile() { ::close(fd_); }

std::int64_t DescriptorFile::ReadAt(std::int64_t offset, void* destination, std::int64_t size) {
  if (offset < 0 || size < 0) return -1;
  auto* out = static_cast<char*>(destination);
  std::int64_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd_, out + done, static_cast<size_t>(size - done), static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::int64_t DescriptorFile::Read(void* destination, std::int64_t size) {
  std::int64_t n = ReadAt(position_, destination, size);
  if (n > 0) position_ += n;
  return n;
}

bool DescriptorFile::Write(const void* source, std::int64_t size) {
  const auto* in = static_cast<const char*>(source);
  while (size > 0) {
    ssize_t n = ::pwrite(fd_, in, static_cast<size_t>(size), static_cast<off_t>(position_));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    in += n;
    size -= n;
    position_ += n;
  }
  return true;
}

std::int64_t DescriptorFile::Seek(std::int64_t offset, SeekFrom from) {
  std::int64_t base = 0;
  if (from == SeekFrom::Current) base = position_;
  if (from == SeekFrom::End) base = Size();
  if (base < 0 || (offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset)) return -1;
  if (base + offset < 0) return -1;
  position_ = base + offset;
  return position_;
}

std::int64_t DescriptorFile::Size() {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

FileIdentity DescriptorFile::Identity() {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 ? IdentityFromStat(st) : FileIdentity{};
}

bool DescriptorFile::SetDate(DosDateTime value) { return SetDateOfDescriptor(fd_, value); }

bool DescriptorFile::SetDosAttributes(std::uint32_t attributes) { return SetDosAttributesOfDescriptor(fd_, attributes); }

}  // namespace vz::platform::linuxfs
