// Change notification on a hive-file key: inotify on the hive's folder (and on
// the autostart folder when the key's subtree holds the Run key) wakes the
// waiter, which then compares the key's subtree with the state taken when the
// notification was armed. Only a real difference under the key is reported,
// so writes elsewhere in the same hive never end a wait. A rewrite with equal
// data still differs: it stamps the key with a new write serial.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/FileSystem.h"
#include "platform/linux/HiveFileRegistry.h"

namespace vz::platform::hivefs {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_CLOSE_WRITE |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// One folder to watch. While it does not exist, its nearest existing ancestor
// is watched instead, and the watch moves down once the folder appears.
struct FolderWatch {
  std::string folder;
  int wd = -1;
  bool direct = false;
};

class InotifyNotification final : public RegistryNotification {
 public:
  InotifyNotification(HiveFileRegistry& store, RegistryRoot root, std::string path, std::uint32_t filter)
      : store_(store), root_(root), path_(std::move(path)), filter_(filter) {}

  ~InotifyNotification() override {
    if (inotifyFd_ >= 0) ::close(inotifyFd_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
  }

  RegStatus Start() {
    inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotifyFd_ < 0 || wakeFd_ < 0) return RegStatus(kRegCantRead, std::string("inotify: ") + std::strerror(errno));
    WatchFolders folders = store_.FoldersFor(root_, path_);
    watches_.push_back({ExcludeTrailingSeparator(folders.hiveFolder)});
    if (!folders.runFolder.empty()) watches_.push_back({ExcludeTrailingSeparator(folders.runFolder)});
    UpdateWatches();
    return {};
  }

  void Arm() override {
    std::lock_guard lock(mutex_);
    baseline_ = store_.CaptureState(root_, path_);
    armed_ = true;
    signalled_ = false;
    Wake();
  }

  NotifyWait Wait(int timeoutMs) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::unique_lock lock(mutex_);
    bool check = true;
    for (;;) {
      if (cancelled_) return NotifyWait::Cancelled;
      if (armed_ && !suspended_) {
        if (!signalled_ && check && StateChanged(baseline_, store_.CaptureState(root_, path_), filter_))
          signalled_ = true;
        if (signalled_) return NotifyWait::Signalled;
      }
      check = false;
      int waitMs = -1;
      if (timeoutMs >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return NotifyWait::TimedOut;
        waitMs = static_cast<int>(left);
      }
      // While suspended, events stay queued in the kernel; the comparison
      // with the armed state after the resume finds what they announced.
      bool watchFiles = armed_ && !suspended_;
      lock.unlock();
      pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {watchFiles ? inotifyFd_ : -1, POLLIN, 0}};
      int n = ::poll(fds, 2, waitMs);
      lock.lock();
      if (n < 0 && errno != EINTR) return NotifyWait::Cancelled;  // cannot wait at all
      if (n > 0 && (fds[0].revents & POLLIN)) {
        DrainWake();
        check = true;
      }
      if (n > 0 && (fds[1].revents & POLLIN)) {
        DrainEvents();
        UpdateWatches();
        check = true;
      }
    }
  }

  void Suspend() override {
    std::lock_guard lock(mutex_);
    suspended_ = true;
    Wake();
  }

  void Resume() override {
    std::lock_guard lock(mutex_);
    suspended_ = false;
    Wake();
  }

  void Cancel() override {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    Wake();
  }

 private:
  void Wake() {
    std::uint64_t one = 1;
    ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
    (void)ignored;
  }

  void DrainWake() {
    std::uint64_t value = 0;
    while (::read(wakeFd_, &value, sizeof value) > 0) {
    }
  }

  void DrainEvents() {
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
      if (n <= 0) return;
      for (ssize_t off = 0; off < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + off);
        if (event->mask & IN_IGNORED) {
          for (auto& w : watches_)
            if (w.wd == event->wd) {
              w.wd = -1;
              w.direct = false;
            }
        }
        off += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

  // Watches each folder directly when it exists, else its nearest existing ancestor.
  void UpdateWatches() {
    for (auto& w : watches_) {
      if (w.direct) continue;
      int wd = ::inotify_add_watch(inotifyFd_, w.folder.c_str(), kFolderEvents | IN_MASK_ADD);
      if (wd >= 0) {
        w.wd = wd;
        w.direct = true;
        continue;
      }
      std::string up = w.folder;
      while (wd < 0 && !up.empty()) {
        auto slash = up.rfind('/');
        up = slash == std::string::npos || slash == 0 ? std::string("/") : up.substr(0, slash);
        wd = ::inotify_add_watch(inotifyFd_, up.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD);
        if (up == "/") break;
      }
      w.wd = wd;
    }
  }

  HiveFileRegistry& store_;
  RegistryRoot root_;
  std::string path_;
  std::uint32_t filter_;
  int inotifyFd_ = -1;
  int wakeFd_ = -1;
  std::vector<FolderWatch> watches_;
  std::mutex mutex_;
  WatchState baseline_;
  bool armed_ = false;
  bool signalled_ = false;
  bool suspended_ = false;
  bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<RegistryNotification> MakeInotifyNotification(HiveFileRegistry& store, RegistryRoot root,
                                                               const std::string& path, std::uint32_t filter,
                                                               RegStatus& status) {
  auto notification = std::make_unique<InotifyNotification>(store, root, path, filter);
  status = notification->Start();
  if (!status) return nullptr;
  return notification;
}

}  // namespace vz::platform::hivefs
