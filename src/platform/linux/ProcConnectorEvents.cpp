#include "platform/linux/ProcConnectorEvents.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/cn_proc.h>
#include <linux/connector.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/linux/ProcfsStat.h"
#include "platform/linux/ProcfsFiles.h"

namespace vz::platform {

bool CaptureProcessStart(const std::string& procRoot, Pid pid, ProcessStart& start) {
  const std::string folder = procRoot + "/" + std::to_string(pid);
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  char buffer[procfs::kStatBufferSize];
  auto stat = procfs::ParseStat(procfs::ReadSmallFileAt(dir, "stat", buffer, sizeof buffer));
  char target[PATH_MAX];
  ssize_t n = stat ? ::readlinkat(dir, "exe", target, sizeof target) : -1;
  ::close(dir);
  // A full buffer may be a cut path: not a path we can name.
  if (!stat || n <= 0 || static_cast<size_t>(n) >= sizeof target) return false;
  start.pid = pid;
  start.startTime = stat->startTime;
  start.path = std::string(procfs::StripDeletedSuffix(std::string_view(target, static_cast<size_t>(n))));
  start.name = std::string(procfs::BaseName(start.path));
  return !start.path.empty();
}

namespace {

// The subscription message: a netlink header, a connector header, one operation.
constexpr size_t kRequestSize = NLMSG_LENGTH(sizeof(cn_msg) + sizeof(proc_cn_mcast_op));

class ProcConnectorEventSource final : public ProcessEventSource {
 public:
  explicit ProcConnectorEventSource(std::string procRoot) : procRoot_(std::move(procRoot)) {}
  ~ProcConnectorEventSource() override { Stop(); }

  bool Start(Handlers handlers, std::string& errorText) override {
    if (thread_.joinable()) return true;
    socket_ = ::socket(PF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_CONNECTOR);
    if (socket_ < 0) return Fail(errorText, "netlink connector socket");
    // A large receive queue, so a burst of starts is not dropped while the
    // thread captures; a privileged process may go beyond the system limit.
    int size = 8 << 20;
    if (::setsockopt(socket_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
      ::setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = CN_IDX_PROC;
    address.nl_pid = 0;  // the kernel picks a unique port
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      return Fail(errorText, "binding to the process events");
    if (!SendOperation(PROC_CN_MCAST_LISTEN)) return Fail(errorText, "subscribing to the process events");
    int refused = AwaitAcknowledgement();
    if (refused != 0) {
      errno = refused;
      return Fail(errorText, "subscribing to the process events");
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) return Fail(errorText, "event thread wake-up");
    handlers_ = std::move(handlers);
    thread_ = std::thread([this] { Run(); });
    return true;
  }

  void Stop() override {
    if (thread_.joinable()) {
      std::uint64_t one = 1;
      ssize_t n = ::write(wake_, &one, sizeof one);
      (void)n;
      thread_.join();
      SendOperation(PROC_CN_MCAST_IGNORE);
    }
    CloseAll();
  }

 private:
  bool Fail(std::string& errorText, const char* what) {
    errorText = std::string(what) + ": " + std::strerror(errno);
    CloseAll();
    return false;
  }

  void CloseAll() {
    if (socket_ >= 0) ::close(socket_);
    if (wake_ >= 0) ::close(wake_);
    socket_ = wake_ = -1;
  }

  bool SendOperation(proc_cn_mcast_op operation) {
    if (socket_ < 0) return false;
    alignas(nlmsghdr) char request[kRequestSize] = {};
    nlmsghdr header{};
    header.nlmsg_len = kRequestSize;
    header.nlmsg_type = NLMSG_DONE;
    cn_msg connector{};
    connector.id.idx = CN_IDX_PROC;
    connector.id.val = CN_VAL_PROC;
    connector.len = sizeof(proc_cn_mcast_op);
    std::memcpy(request, &header, sizeof header);
    std::memcpy(request + NLMSG_HDRLEN, &connector, sizeof connector);
    std::memcpy(request + NLMSG_HDRLEN + sizeof connector, &operation, sizeof operation);
    return ::send(socket_, request, kRequestSize, 0) == static_cast<ssize_t>(kRequestSize);
  }

  // The kernel answers a subscription with an acknowledgement whose error
  // field says whether it was allowed. Events may come before it; they are
  // dropped (the refresh sees those processes).
  int AwaitAcknowledgement() {
    alignas(nlmsghdr) char buffer[4096];
    for (int attempts = 0; attempts < 64; ++attempts) {
      pollfd p{socket_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) return ETIMEDOUT;
      ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
      if (n < 0) {
        if (errno == EINTR || errno == ENOBUFS) continue;
        return errno;
      }
      int result = -1;
      ForEachEvent(buffer, static_cast<size_t>(n), [&](const proc_event& event) {
        if (event.what == proc_event::PROC_EVENT_NONE && result < 0) result = static_cast<int>(event.event_data.ack.err);
      });
      if (result >= 0) return result;
    }
    return ETIMEDOUT;
  }

  template <typename F>
  static void ForEachEvent(const char* buffer, size_t length, F&& onEvent) {
    const nlmsghdr* header = reinterpret_cast<const nlmsghdr*>(buffer);
    for (size_t left = length; NLMSG_OK(header, left); header = NLMSG_NEXT(header, left)) {
      if (header->nlmsg_type == NLMSG_ERROR || header->nlmsg_type == NLMSG_NOOP) continue;
      if (header->nlmsg_len < NLMSG_LENGTH(sizeof(cn_msg) + sizeof(proc_event))) continue;
      const cn_msg* message = static_cast<const cn_msg*>(NLMSG_DATA(header));
      if (message->id.idx != CN_IDX_PROC || message->id.val != CN_VAL_PROC) continue;
      if (message->len < sizeof(proc_event)) continue;
      proc_event event;
      std::memcpy(&event, message->data, sizeof event);
      onEvent(event);
    }
  }

  void Run() {
    // The capture races the process's end: a program of a few milliseconds
    // is gone if this thread waits behind busy ones. It does little work per
    // event, so it may run ahead of them (refused without the privilege).
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -10);
    alignas(nlmsghdr) char buffer[16384];
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents) return;
      // Everything queued is read before waiting again.
      for (;;) {
        ssize_t n = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) {
          if (errno == ENOBUFS) {
            if (handlers_.onLost) handlers_.onLost();
            continue;
          }
          if (errno == EINTR) continue;
          break;  // EAGAIN: nothing more for now
        }
        ForEachEvent(buffer, static_cast<size_t>(n), [this](const proc_event& event) { Handle(event); });
      }
    }
  }

  void Handle(const proc_event& event) {
    if (event.what == proc_event::PROC_EVENT_EXEC) {
      // The thread group is the process; an exec in any thread replaces its program.
      ProcessStart start;
      if (CaptureProcessStart(procRoot_, static_cast<Pid>(event.event_data.exec.process_tgid), start) &&
          handlers_.onStart)
        handlers_.onStart(start);
    } else if (event.what == proc_event::PROC_EVENT_EXIT) {
      // One exit event per thread: the process ends with its leader.
      if (event.event_data.exit.process_pid == event.event_data.exit.process_tgid && handlers_.onExit)
        handlers_.onExit(static_cast<Pid>(event.event_data.exit.process_tgid));
    }
  }

  std::string procRoot_;
  int socket_ = -1;
  int wake_ = -1;
  Handlers handlers_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<ProcessEventSource> CreateProcConnectorEventSource(const std::string& procRoot) {
  return std::make_unique<ProcConnectorEventSource>(procRoot);
}

}  // namespace vz::platform
