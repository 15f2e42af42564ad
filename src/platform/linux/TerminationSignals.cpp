#include "platform/TerminationSignals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "platform/linux/WaitableDescriptor.h"

namespace vz::platform {

namespace {

class SignalFdTermination final : public TerminationSignals {
 public:
  SignalFdTermination() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  }
  ~SignalFdTermination() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Waitable WaitHandle() const override { return WaitableForDescriptor(fd_); }
  bool Drain() override {
    bool any = false;
    signalfd_siginfo info{};
    while (fd_ >= 0 && ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
    return any;
  }

 private:
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<TerminationSignals> WatchTerminationSignals() { return std::make_unique<SignalFdTermination>(); }

}  // namespace vz::platform
