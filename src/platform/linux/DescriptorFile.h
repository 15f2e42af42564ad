#pragma once
// The open files of the file layer on Linux: a descriptor with a position of
// its own (reads and writes go through pread/pwrite, so asking for the
// position costs no system call), and the helpers the layer shares.
#include <sys/stat.h>

#include <string>

#include "platform/OpenedFile.h"

namespace vz::platform::linuxfs {

FileIdentity IdentityFromStat(const struct stat& st);

// The status for a failed call, from its errno.
FileStatus StatusFromErrno(int error, const std::string& path);

// Opens `path` with `flags` for a regular file only: the name is first taken
// without opening anything (O_PATH), its type checked, and only a regular file
// is then opened for real, so a FIFO never blocks and a device is never
// touched. -1 with status otherwise.
int OpenRegularDescriptor(int folderFd, const std::string& name, int flags, LinkPolicy links, FileStatus& status,
                          const std::string& shownPath);

class DescriptorFile : public OpenedFile {
 public:
  DescriptorFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~DescriptorFile() override;
  DescriptorFile(const DescriptorFile&) = delete;
  DescriptorFile& operator=(const DescriptorFile&) = delete;

  std::int64_t Read(void* destination, std::int64_t size) override;
  std::int64_t ReadAt(std::int64_t offset, void* destination, std::int64_t size) override;
  bool Write(const void* source, std::int64_t size) override;
  std::int64_t Seek(std::int64_t offset, SeekFrom from) override;
  std::int64_t Position() const override { return position_; }
  std::int64_t Size() override;
  FileIdentity Identity() override;
  bool SetDate(DosDateTime value) override;
  bool SetDosAttributes(std::uint32_t attributes) override;

  const std::string& Path() const override { return path_; }

  int Descriptor() const { return fd_; }

 private:
  int fd_;
  std::string path_;
  std::int64_t position_ = 0;
};

}  // namespace vz::platform::linuxfs
