// The single-instance guard: a 4-byte POSIX shared memory object per instance
// name and user holding the owner's PID, and activation requests over an
// abstract unix socket named after the instance name, the user and that PID.
#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/linux/ProcfsFiles.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/linux/ProcfsStat.h"
#include "platform/linux/SingleInstanceNames.h"
#include "platform/linux/WaitableDescriptor.h"

namespace vz::platform {

namespace {

constexpr off_t kRegionSize = sizeof(std::uint32_t);
constexpr int kActivationBacklog = 16;

// A descriptor, closed at scope end.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Anyone may create objects in /dev/shm; a region another user made is not ours.
bool OwnedByUs(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid();
}

bool WriteValue(int fd, std::uint32_t value) {
  if (::ftruncate(fd, kRegionSize) != 0) return false;
  return ::pwrite(fd, &value, sizeof value, 0) == static_cast<ssize_t>(sizeof value);
}

// Fills addr with the abstract address; false when the name does not fit.
bool AbstractAddress(const std::string& name, sockaddr_un& addr, socklen_t& length) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (name.size() + 1 > sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path + 1, name.data(), name.size());
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return true;
}

bool PeerIsSameUser(int fd) {
  ucred cred{};
  socklen_t size = sizeof cred;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &size) == 0 && cred.uid == ::geteuid();
}

class PosixInstanceRegion final : public InstanceRegion {
 public:
  std::uint32_t ReadPublishedHandle(const std::string& instanceName) override {
    std::string name = InstanceRegionName(instanceName);
    ScopedFd created(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (created.get() >= 0) {
      WriteValue(created.get(), 0);
      return 0;
    }
    if (errno != EEXIST) return 0;
    ScopedFd existing(::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0));
    if (existing.get() < 0 || !OwnedByUs(existing.get())) return 0;
    // A region its creator has not sized yet reads short: taken as 0.
    std::uint32_t value = 0;
    if (::pread(existing.get(), &value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) return 0;
    return value;
  }

  void PublishHandle(const std::string& instanceName, std::uint32_t handle) override {
    ScopedFd region(::shm_open(InstanceRegionName(instanceName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (region.get() >= 0 && OwnedByUs(region.get())) WriteValue(region.get(), handle);
  }

  // The PID lives (a zombie does not count) and runs the shield program: the
  // base name of its executable, or its comm where the link cannot be read.
  bool NamesRunningInstance(std::uint32_t handle) override {
    if (handle == 0 || handle > static_cast<std::uint32_t>(INT_MAX)) return false;
    char buffer[procfs::kStatBufferSize];
    auto stat = procfs::ParseStat(procfs::ReadProcessFile(kProcRoot, handle, "stat", buffer, sizeof buffer));
    if (!stat || stat->pid != handle || stat->state == 'Z' || stat->state == 'X') return false;
    std::string exe = procfs::ReadExePath(kProcRoot, handle);
    std::string_view program = exe.empty() ? stat->comm : procfs::BaseName(exe);
    return program == kShieldProgramName;
  }

  bool RequestActivation(const std::string& instanceName, std::uint32_t handle) override {
    if (handle == 0) return false;
    sockaddr_un addr;
    socklen_t length = 0;
    if (!AbstractAddress(ActivationSocketName(instanceName, handle), addr, length)) return false;
    // Non-blocking: a listener whose queue is full must not hang the caller.
    ScopedFd sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (sock.get() < 0) return false;
    if (::connect(sock.get(), reinterpret_cast<sockaddr*>(&addr), length) != 0) return false;
    if (!PeerIsSameUser(sock.get())) return false;
    // The accepted connection is the request; the listener may close it before
    // these bytes arrive, so their delivery does not decide the answer.
    static constexpr char kRequest[] = "activate\n";
    (void)::send(sock.get(), kRequest, sizeof kRequest - 1, MSG_NOSIGNAL);
    return true;
  }

  std::uint32_t OwnHandle() override { return static_cast<std::uint32_t>(::getpid()); }
};

class SocketActivationListener final : public ActivationListener {
 public:
  explicit SocketActivationListener(int fd) : fd_(fd) {}
  ~SocketActivationListener() override { ::close(fd_); }
  SocketActivationListener(const SocketActivationListener&) = delete;
  SocketActivationListener& operator=(const SocketActivationListener&) = delete;

  Waitable WaitHandle() const override { return WaitableForDescriptor(fd_); }

  // Each connection from the same user is one request; others are dropped.
  int AcceptPending() override {
    int count = 0;
    for (;;) {
      int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (client < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        break;  // EAGAIN: nothing more waits
      }
      if (PeerIsSameUser(client)) ++count;
      ::close(client);
    }
    return count;
  }

 private:
  int fd_;
};

}  // namespace

std::string InstanceNameFor(const std::string& defaultName) {
  const char* fromEnv = std::getenv("VAZERU_INSTANCE_NAME");
  return fromEnv && *fromEnv ? std::string(fromEnv) : defaultName;
}

std::string InstanceRegionName(const std::string& instanceName) {
  std::string name = "/" + instanceName;
  for (size_t i = 1; i < name.size(); ++i)
    if (name[i] == '/') name[i] = '_';
  return name + "." + std::to_string(::geteuid());
}

std::string ActivationSocketName(const std::string& instanceName, Pid pid) {
  // User and PID first: a long instance name is cut, never them.
  std::string name = "orvane-vazeru/" + std::to_string(::geteuid()) + "/" + std::to_string(pid) + "/" + instanceName;
  constexpr size_t kMax = sizeof(sockaddr_un::sun_path) - 1;
  if (name.size() > kMax) name.resize(kMax);
  return name;
}

bool RemoveInstanceRegion(const std::string& instanceName) {
  return ::shm_unlink(InstanceRegionName(instanceName).c_str()) == 0;
}

std::unique_ptr<InstanceRegion> CreateInstanceRegion() { return std::make_unique<PosixInstanceRegion>(); }

std::unique_ptr<ActivationListener> ListenForActivation(const std::string& instanceName) {
  sockaddr_un addr;
  socklen_t length = 0;
  if (!AbstractAddress(ActivationSocketName(instanceName, static_cast<Pid>(::getpid())), addr, length)) return nullptr;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(fd, kActivationBacklog) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<SocketActivationListener>(fd);
}

}  // namespace vz::platform
