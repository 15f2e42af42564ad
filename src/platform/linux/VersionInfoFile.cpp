#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/VersionInfo.h"

namespace vz::platform {

namespace {

// Reads the file in 64 KiB windows and answers the parser's many small
// reads (headers, directory entries) from the window it last read: a small
// program costs one read, a large one a few.
class WindowedFile {
 public:
  explicit WindowedFile(int fd) : fd_(fd), window_(new char[kWindow]) {}

  bool Read(std::uint64_t offset, std::size_t size, std::string& out) {
    if (size > kWindow / 2) return ReadDirect(offset, size, out);
    if (offset < windowStart_ || offset + size > windowStart_ + windowSize_) {
      std::uint64_t start = offset & ~static_cast<std::uint64_t>(kPage - 1);
      windowSize_ = 0;
      if (!Fill(window_.get(), start, kWindow, windowSize_)) return false;
      windowStart_ = start;
      if (offset + size > windowStart_ + windowSize_) return false;
    }
    out.assign(window_.get() + (offset - windowStart_), size);
    return true;
  }

 private:
  static constexpr std::size_t kWindow = 65536;  // below the allocator's mmap threshold
  static constexpr std::size_t kPage = 4096;

  // Reads up to `size` bytes (fewer at the end of the file).
  bool Fill(char* buffer, std::uint64_t offset, std::size_t size, std::size_t& done) {
    done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      done += static_cast<std::size_t>(n);
      if (n == 0 || done < size) break;  // a short read of a file is its end
    }
    return true;
  }

  bool ReadDirect(std::uint64_t offset, std::size_t size, std::string& out) {
    out.resize(size);
    std::size_t done = 0;
    return Fill(out.data(), offset, size, done) && done == size;
  }

  int fd_;
  std::unique_ptr<char[]> window_;  // not zero-filled: only what was read is used
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

}  // namespace

std::optional<std::string> GetFileVersionInfoBlock(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  WindowedFile file(fd);
  ByteReader read = [&file](std::uint64_t offset, std::size_t size, std::string& out) {
    return file.Read(offset, size, out);
  };
  auto block = ExtractVersionBlock(read);
  ::close(fd);
  return block;
}

}  // namespace vz::platform
