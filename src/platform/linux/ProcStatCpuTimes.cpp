#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CpuTimes.h"

namespace vz::platform {

namespace {

class ProcStatCpuTimes final : public CpuTimes {
 public:
  explicit ProcStatCpuTimes(std::string path) : path_(std::move(path)) {}

  bool Read(CpuTimesSample& sample) override {
    long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec now {};
    if (processors <= 0 || ticksPerSecond <= 0 || ::clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
    // The "cpu" line comes first; one read into a stack buffer holds it.
    char buffer[1024];
    int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ssize_t n;
    do {
      n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0) return false;
    auto idle = ParseProcStatIdleTicks(std::string_view(buffer, static_cast<std::size_t>(n)));
    if (!idle) return false;
    sample.processorCount = static_cast<std::uint32_t>(processors);
    sample.systemTime = static_cast<std::uint64_t>(now.tv_sec) * 10000000ull +
                        static_cast<std::uint64_t>(now.tv_nsec) / 100;
    sample.idleTime = TicksTo100ns(*idle, static_cast<std::uint64_t>(ticksPerSecond));
    return true;
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<CpuTimes> CreateSystemCpuTimes(const std::string& procStatPath) {
  return std::make_unique<ProcStatCpuTimes>(procStatPath);
}

}  // namespace vz::platform
