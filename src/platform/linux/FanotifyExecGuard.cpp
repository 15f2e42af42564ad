#include "platform/linux/FanotifyExecGuard.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/fanotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace vz::platform {

namespace {

using Clock = std::chrono::steady_clock;

std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && field.size() - i >= 4 && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

bool HasOption(const std::string& options, const std::string& option) {
  std::stringstream in(options);
  std::string item;
  while (std::getline(in, item, ','))
    if (item == option) return true;
  return false;
}

std::string ReadWhole(int fd) {
  std::string text;
  char buffer[8192];
  if (::lseek(fd, 0, SEEK_SET) < 0) return text;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

class FanotifyExecGuard final : public ExecGuard {
 public:
  ~FanotifyExecGuard() override { Stop(); }

  bool Start(Settings settings, std::string& errorText) override {
    if (listener_.joinable()) return true;
    fan_ = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_NONBLOCK, O_RDONLY | O_LARGEFILE | O_CLOEXEC);
    if (fan_ < 0) return Fail(errorText, "fanotify");
    mountinfo_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (mountinfo_ < 0 || wake_ < 0) return Fail(errorText, "mount table");
    if (MarkMounts() == 0) return Fail(errorText, "marking the mounted file systems");
    settings_ = std::move(settings);
    limit_ = std::chrono::milliseconds(settings_.timeLimitMs > 0 ? settings_.timeLimitMs : 50);
    stopping_ = false;
    listenerDone_ = false;
    listener_ = std::thread([this] { Listen(); });
    watchdog_ = std::thread([this] { Watch(); });
    return true;
  }

  void Stop() override {
    if (listener_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // Nothing waits for a decision any more.
        for (auto& [fd, entry] : pending_) AnswerLocked(fd, entry, true);
      }
      stopped_.notify_all();
      std::uint64_t one = 1;
      ssize_t n = ::write(wake_, &one, sizeof one);
      (void)n;
      listener_.join();
      {
        std::lock_guard lock(mutex_);
        listenerDone_ = true;
      }
      watchdog_.join();
    }
    // Closing the group lets every attempt still queued in the kernel run.
    for (int* fd : {&fan_, &mountinfo_, &wake_}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
    pending_.clear();
    marked_.clear();
  }

 private:
  struct Pending {
    Clock::time_point deadline;
    bool answered = false;
  };

  bool Fail(std::string& errorText, const char* what) {
    errorText = std::string(what) + ": " + std::strerror(errno);
    for (int* fd : {&fan_, &mountinfo_, &wake_}) {
      if (*fd >= 0) ::close(*fd);
      *fd = -1;
    }
    return false;
  }

  // Marks each mount where programs can run that is not marked yet; the
  // number of mounts now marked.
  size_t MarkMounts() {
    for (const std::string& point : ExecutableMountPoints(ReadWhole(mountinfo_))) {
      if (marked_.count(point)) continue;
      if (::fanotify_mark(fan_, FAN_MARK_ADD | FAN_MARK_MOUNT, FAN_OPEN_EXEC_PERM, AT_FDCWD, point.c_str()) == 0)
        marked_.insert(point);
    }
    return marked_.size();
  }

  void AnswerLocked(int fd, Pending& entry, bool allow) {
    if (entry.answered) return;
    entry.answered = true;
    fanotify_response response{};
    response.fd = fd;
    response.response = allow ? FAN_ALLOW : FAN_DENY;
    ssize_t n = ::write(fan_, &response, sizeof response);
    (void)n;
  }

  void Listen() {
    alignas(fanotify_event_metadata) char buffer[8192];
    pollfd fds[3] = {{fan_, POLLIN, 0}, {wake_, POLLIN, 0}, {mountinfo_, POLLPRI, 0}};
    while (!stopping_) {
      if (::poll(fds, 3, -1) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (fds[1].revents) break;
      if (fds[2].revents & (POLLPRI | POLLERR)) MarkMounts();
      if (!(fds[0].revents & POLLIN)) continue;
      ssize_t n = ::read(fan_, buffer, sizeof buffer);
      if (n <= 0) continue;
      std::vector<std::pair<int, ExecAttempt>> attempts;
      {
        // Every attempt of this read is timed from now, decided or not.
        std::lock_guard lock(mutex_);
        const Clock::time_point deadline = Clock::now() + limit_;
        auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
        for (ssize_t left = n; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
          if (event->vers != FANOTIFY_METADATA_VERSION || event->fd < 0) continue;
          if (!(event->mask & FAN_OPEN_EXEC_PERM)) {
            ::close(event->fd);
            continue;
          }
          pending_[event->fd] = Pending{deadline, false};
          if (stopping_) AnswerLocked(event->fd, pending_[event->fd], true);
          attempts.push_back({event->fd, ExecAttempt{static_cast<Pid>(event->pid), std::string()}});
        }
      }
      for (auto& [fd, attempt] : attempts) Decide(fd, attempt);
    }
  }

  void Decide(int fd, ExecAttempt& attempt) {
    bool allow = true;
    bool open = false;
    {
      std::lock_guard lock(mutex_);
      busySince_ = Clock::now();
      open = !pending_[fd].answered;
      busy_ = open;
    }
    if (open) {
      char link[64];
      std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
      char target[PATH_MAX];
      ssize_t length = ::readlink(link, target, sizeof target);
      if (length > 0 && static_cast<size_t>(length) < sizeof target && settings_.decide) {
        attempt.path.assign(target, static_cast<size_t>(length));
        // A decision that fails lets the program run; what failed is not ours to report.
        try {
          allow = settings_.decide(attempt);
        } catch (const std::exception&) {
          allow = true;
        }
      }
    }
    bool denied = false;
    {
      std::lock_guard lock(mutex_);
      busy_ = false;
      auto it = pending_.find(fd);
      if (it != pending_.end()) {
        denied = !allow && !it->second.answered;
        AnswerLocked(fd, it->second, allow);
        pending_.erase(it);
      }
    }
    ::close(fd);
    if (denied && settings_.onDenied) settings_.onDenied(attempt);
  }

  // Answers "run" for every attempt past its time, and for the attempts the
  // kernel still holds while the listener is stuck in a decision or ending.
  void Watch() {
    alignas(fanotify_event_metadata) char buffer[4096];
    std::unique_lock lock(mutex_);
    while (!(stopping_ && listenerDone_)) {
      stopped_.wait_for(lock, std::chrono::milliseconds(5));
      const Clock::time_point now = Clock::now();
      for (auto& [fd, entry] : pending_)
        if (now >= entry.deadline) AnswerLocked(fd, entry, true);
      if (!stopping_ && (!busy_ || now - busySince_ < limit_)) continue;
      for (;;) {
        ssize_t n = ::read(fan_, buffer, sizeof buffer);
        if (n <= 0) break;
        auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
        for (ssize_t left = n; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
          if (event->vers != FANOTIFY_METADATA_VERSION || event->fd < 0) continue;
          Pending entry{now, false};
          if (event->mask & FAN_OPEN_EXEC_PERM) AnswerLocked(event->fd, entry, true);
          ::close(event->fd);
        }
      }
    }
  }

  int fan_ = -1;
  int mountinfo_ = -1;
  int wake_ = -1;
  Settings settings_;
  std::chrono::milliseconds limit_{50};
  std::set<std::string> marked_;
  std::mutex mutex_;
  std::condition_variable stopped_;
  std::map<int, Pending> pending_;
  bool stopping_ = false;
  bool listenerDone_ = false;
  bool busy_ = false;
  Clock::time_point busySince_;
  std::thread listener_;
  std::thread watchdog_;
};

}  // namespace

std::vector<std::string> ExecutableMountPoints(const std::string& mountinfo) {
  std::vector<std::string> points;
  std::stringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::stringstream fields(line);
    std::string id, parent, device, root, point, options;
    if (!(fields >> id >> parent >> device >> root >> point >> options)) continue;
    if (HasOption(options, "noexec")) continue;
    points.push_back(Unescape(point));
  }
  return points;
}

std::unique_ptr<ExecGuard> CreateFanotifyExecGuard() { return std::make_unique<FanotifyExecGuard>(); }

}  // namespace vz::platform
