#include <cstdint>
#include <memory>

#include "platform/OpenedFile.h"
#include "platform/VersionInfo.h"
#include "platform/linux/ProcfsFiles.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/linux/ProcfsStat.h"

namespace vz::platform {

namespace {

// Reads the file in 64 KiB windows and answers the parser's many small
// reads (headers, directory entries) from the window it last read: a small
// program costs one read, a large one a few. No single read asks for more
// than the largest structure the parser needs, whatever the file claims.
class WindowedFile {
 public:
  explicit WindowedFile(OpenedFile& file) : file_(file), window_(new char[kWindow]) {}

  bool Read(std::uint64_t offset, std::size_t size, std::string& out) {
    if (size > kMaxRead || offset > kMaxOffset) return false;
    if (size > kWindow / 2) return ReadDirect(offset, size, out);
    if (offset < windowStart_ || offset + size > windowStart_ + windowSize_) {
      std::uint64_t start = offset & ~static_cast<std::uint64_t>(kPage - 1);
      std::int64_t n = file_.ReadAt(static_cast<std::int64_t>(start), window_.get(), kWindow);
      windowSize_ = 0;
      if (n < 0) return false;
      windowStart_ = start;
      windowSize_ = static_cast<std::size_t>(n);
      if (offset + size > windowStart_ + windowSize_) return false;
    }
    out.assign(window_.get() + (offset - windowStart_), size);
    return true;
  }

 private:
  static constexpr std::size_t kWindow = 65536;  // below the allocator's mmap threshold
  static constexpr std::size_t kPage = 4096;
  static constexpr std::size_t kMaxRead = 1 << 20;
  static constexpr std::uint64_t kMaxOffset = std::uint64_t{1} << 40;

  bool ReadDirect(std::uint64_t offset, std::size_t size, std::string& out) {
    out.resize(size);
    return file_.ReadAt(static_cast<std::int64_t>(offset), out.data(), static_cast<std::int64_t>(size)) ==
           static_cast<std::int64_t>(size);
  }

  OpenedFile& file_;
  std::unique_ptr<char[]> window_;  // not zero-filled: only what was read is used
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

std::optional<std::string> VersionBlockOf(OpenedFile& file) {
  WindowedFile windowed(file);
  ByteReader read = [&windowed](std::uint64_t offset, std::size_t size, std::string& out) {
    return windowed.Read(offset, size, out);
  };
  return ExtractVersionBlock(read);
}

// The running image of the process, when the PID still names the process
// that started at startTime. The start time is checked after opening, so a
// PID reused meanwhile is never read in its place.
std::unique_ptr<OpenedFile> OpenProcessImage(std::uint32_t pid, std::uint64_t startTime) {
  FileStatus status;
  const std::string root = kProcRoot;
  auto image = OpenExistingFile(root + "/" + std::to_string(pid) + "/exe", FileAccess::Read, LinkPolicy::Follow, status);
  if (!image) return nullptr;
  char buffer[procfs::kStatBufferSize];
  auto stat = procfs::ParseStat(procfs::ReadProcessFile(root, pid, "stat", buffer, sizeof buffer));
  if (!stat || (startTime != 0 && stat->startTime != startTime)) return nullptr;
  return image;
}

}  // namespace

std::optional<std::string> GetFileVersionInfoBlock(const std::string& path) {
  FileStatus status;
  // A path found in /proc may meanwhile hold anything: only a regular file
  // that is not a link is read.
  auto file = OpenExistingFile(path, FileAccess::Read, LinkPolicy::Refuse, status);
  if (!file) return std::nullopt;
  return VersionBlockOf(*file);
}

FileVersionInfo ReadProgramVersionInfo(const ProgramFile& program) {
  auto image = program.pid != 0 ? OpenProcessImage(program.pid, program.startTime) : nullptr;
  auto block = image ? VersionBlockOf(*image) : GetFileVersionInfoBlock(program.path);
  return block ? VersionInfoFromBlock(*block) : FileVersionInfo{};
}

}  // namespace vz::platform
