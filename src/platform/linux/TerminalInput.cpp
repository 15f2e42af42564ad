#include "platform/TerminalInput.h"

#include <cerrno>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/TerminationSignals.h"
#include "platform/linux/WaitableDescriptor.h"

namespace vz::platform {

TerminalInput::TerminalInput() : TerminalInput(WaitableForDescriptor(STDIN_FILENO)) {}

TerminalInput::TerminalInput(Waitable source) : source_(source) {
  const int fd = DescriptorOf(source_);
  struct stat st {};
  // A terminal, a pipe or a socket can bring answers; /dev/null or a closed
  // descriptor cannot.
  interactive_ = ::fstat(fd, &st) == 0 && (S_ISCHR(st.st_mode) ? ::isatty(fd) : (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)));
}

bool TerminalInput::FillOnce() {
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(DescriptorOf(source_), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
      ended_ = true;
      return false;
    }
    pending_.append(buffer, static_cast<size_t>(n));
    return true;
  }
}

std::optional<std::string> TerminalInput::TakeLine() {
  size_t end = pending_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> TerminalInput::ReadLine(const TerminationSignals* interruption) {
  const int fd = DescriptorOf(source_);
  const int signalFd = interruption ? DescriptorOf(interruption->WaitHandle()) : -1;
  for (;;) {
    if (auto line = TakeLine()) return line;
    if (ended_) {
      if (pending_.empty()) return std::nullopt;
      std::string rest;
      rest.swap(pending_);
      return rest;
    }
    pollfd p[2] = {{fd, POLLIN, 0}, {signalFd, POLLIN, 0}};
    if (::poll(p, signalFd >= 0 ? 2 : 1, -1) < 0) {
      if (errno != EINTR) ended_ = true;
      continue;
    }
    if (signalFd >= 0 && (p[1].revents & POLLIN)) return std::nullopt;
    if (p[0].revents) FillOnce();
  }
}

bool TerminalInput::HasBufferedLine() const {
  return pending_.find('\n') != std::string::npos || (ended_ && !pending_.empty());
}

std::optional<std::string> TerminalInput::ReadAvailableLine() {
  if (auto line = TakeLine()) return line;
  if (ended_) return std::nullopt;
  pollfd p{DescriptorOf(source_), POLLIN, 0};
  if (::poll(&p, 1, 0) > 0) FillOnce();
  if (auto line = TakeLine()) return line;
  if (ended_ && !pending_.empty()) {
    std::string rest;
    rest.swap(pending_);
    return rest;
  }
  return std::nullopt;
}

}  // namespace vz::platform
