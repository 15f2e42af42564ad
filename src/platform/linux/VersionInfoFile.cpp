#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/VersionInfo.h"

namespace vz::platform {

std::optional<std::string> GetFileVersionInfoBlock(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ByteReader read = [fd](std::uint64_t offset, std::size_t size, std::string& out) {
    out.resize(size);
    std::size_t done = 0;
    while (done < size) {
      ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  };
  auto block = ExtractVersionBlock(read);
  ::close(fd);
  return block;
}

}  // namespace vz::platform
