#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/EventLoop.h"
#include "platform/TerminationSignals.h"
#include "platform/linux/WaitableDescriptor.h"

namespace vz::platform {

namespace {

std::int64_t NowMs() {
  struct timespec ts {};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class PollEventLoop final : public EventLoop {
 public:
  PollEventLoop() : loopThread_(std::this_thread::get_id()) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  }

  ~PollEventLoop() override {
    {
      std::lock_guard<std::mutex> lock(postMutex_);
      quitting_ = true;
    }
    postDone_.notify_all();
    if (wakeFd_ >= 0) ::close(wakeFd_);
  }

  int Run() override {
    while (!quit_) Dispatch(WaitTimeoutMs());
    return quitCode_;
  }

  void Quit(int code) override {
    if (quit_) return;
    quit_ = true;
    quitCode_ = code;
    {
      std::lock_guard<std::mutex> lock(postMutex_);
      quitting_ = true;
    }
    postDone_.notify_all();
    Wake();
  }

  bool QuitRequested() const override { return quit_; }

  void ProcessPending() override { Dispatch(0); }

  TimerId AddTimer(int intervalMs, std::function<void()> callback) override {
    TimerId id = ++lastTimerId_;
    timers_[id] = TimerEntry{std::max(1, intervalMs), std::move(callback), false, 0, false};
    return id;
  }

  void StartTimer(TimerId id) override {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second.running = true;
    it->second.due = NowMs() + it->second.interval;
  }

  void StopTimer(TimerId id) override {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second.running = false;
  }

  bool TimerRunning(TimerId id) const override {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.running;
  }

  void RemoveTimer(TimerId id) override { timers_.erase(id); }

  void Watch(Waitable waitable, std::function<void()> onReadable) override {
    if (waitable.IsValid()) watches_[DescriptorOf(waitable)] = std::move(onReadable);
  }

  void Unwatch(Waitable waitable) override { watches_.erase(DescriptorOf(waitable)); }

  bool RunOnLoopAndWait(const std::function<void()>& function) override {
    if (std::this_thread::get_id() == loopThread_) {
      if (quit_) return false;
      function();
      return true;
    }
    auto job = std::make_shared<Job>();
    job->function = &function;
    std::unique_lock<std::mutex> lock(postMutex_);
    if (quitting_) return false;
    posted_.push_back(job);
    Wake();
    postDone_.wait(lock, [&] { return job->done || quitting_; });
    return job->done && job->ran;
  }

  bool PostToLoop(std::function<void()> function) override {
    auto job = std::make_shared<Job>();
    job->owned = std::move(function);
    job->function = &job->owned;
    job->detached = true;
    std::lock_guard<std::mutex> lock(postMutex_);
    if (quitting_) return false;
    posted_.push_back(std::move(job));
    Wake();
    return true;
  }

  void QuitOn(TerminationSignals& signals) override {
    if (!signals.WaitHandle().IsValid()) return;
    Watch(signals.WaitHandle(), [this, &signals] {
      if (signals.Drain()) Quit(0);
    });
  }

 private:
  struct TimerEntry {
    int interval;
    std::function<void()> callback;
    bool running;
    std::int64_t due;
    bool firing;
  };
  struct Job {
    const std::function<void()>* function = nullptr;
    std::function<void()> owned;  // a posted function nobody waits for
    bool detached = false;
    bool done = false;
    bool ran = false;
  };

  void Wake() {
    if (wakeFd_ < 0) return;
    std::uint64_t one = 1;
    ssize_t n = ::write(wakeFd_, &one, sizeof one);
    (void)n;
  }

  int WaitTimeoutMs() const {
    std::int64_t now = NowMs();
    std::int64_t best = -1;
    for (const auto& [id, t] : timers_) {
      if (!t.running || t.firing) continue;
      std::int64_t wait = std::max<std::int64_t>(0, t.due - now);
      if (best < 0 || wait < best) best = wait;
    }
    return best < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(best, 60000));
  }

  void Dispatch(int timeoutMs) {
    std::vector<pollfd> fds;
    fds.reserve(watches_.size() + 1);
    if (wakeFd_ >= 0) fds.push_back({wakeFd_, POLLIN, 0});
    for (const auto& [fd, cb] : watches_) fds.push_back({fd, POLLIN, 0});
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n < 0 && errno != EINTR) n = 0;
    if (n > 0) {
      for (const auto& p : fds) {
        if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
        if (p.fd == wakeFd_) {
          std::uint64_t value = 0;
          ssize_t r = ::read(wakeFd_, &value, sizeof value);
          (void)r;
          RunPosted();
        } else {
          auto it = watches_.find(p.fd);
          if (it != watches_.end()) {
            auto callback = it->second;  // the callback may unwatch itself
            callback();
          }
        }
        if (quit_) return;
      }
    }
    FireDueTimers();
  }

  void RunPosted() {
    // Only what was posted before this turn: a function that posts again
    // runs in the next turn, after timers and input have had theirs.
    size_t turn = 0;
    {
      std::lock_guard<std::mutex> lock(postMutex_);
      turn = posted_.size();
    }
    for (; turn > 0; --turn) {
      std::shared_ptr<Job> job;
      {
        std::lock_guard<std::mutex> lock(postMutex_);
        if (posted_.empty()) return;
        job = posted_.front();
        posted_.pop_front();
      }
      if (!quit_) {
        (*job->function)();
        job->ran = true;
      }
      if (job->detached) continue;
      {
        std::lock_guard<std::mutex> lock(postMutex_);
        job->done = true;
      }
      postDone_.notify_all();
    }
    std::lock_guard<std::mutex> lock(postMutex_);
    if (!posted_.empty()) Wake();
  }

  void FireDueTimers() {
    std::int64_t now = NowMs();
    std::vector<TimerId> due;
    for (const auto& [id, t] : timers_)
      if (t.running && !t.firing && t.due <= now) due.push_back(id);
    for (TimerId id : due) {
      auto it = timers_.find(id);
      if (it == timers_.end() || !it->second.running || it->second.firing) continue;
      // Missed expiries are not made up: the next one is an interval from now.
      it->second.due = now + it->second.interval;
      it->second.firing = true;
      auto callback = it->second.callback;
      callback();
      it = timers_.find(id);
      if (it != timers_.end()) {
        it->second.firing = false;
        // A timer restarted inside its own callback counts from the restart.
        if (it->second.running && it->second.due < NowMs()) it->second.due = NowMs() + it->second.interval;
      }
      if (quit_) return;
    }
  }

  std::thread::id loopThread_;
  int wakeFd_ = -1;
  bool quit_ = false;
  int quitCode_ = 0;
  TimerId lastTimerId_ = 0;
  std::map<TimerId, TimerEntry> timers_;
  std::map<int, std::function<void()>> watches_;
  std::mutex postMutex_;
  std::condition_variable postDone_;
  std::deque<std::shared_ptr<Job>> posted_;
  bool quitting_ = false;
};

}  // namespace

std::unique_ptr<EventLoop> CreateEventLoop() { return std::make_unique<PollEventLoop>(); }

}  // namespace vz::platform
