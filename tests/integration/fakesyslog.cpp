// vz-test-fakesyslog OUTFILE PROGRAM [ARG...]
// Runs PROGRAM in a mount namespace of its own where no system journal runs
// and /dev/log is a socket of this helper; every datagram sent to it is
// appended to OUTFILE, one a line. The rest of /dev is the machine's, so the
// program runs as it would elsewhere. SIGTERM and SIGINT are passed on; the
// exit status is the program's. Exit status 77 (with the reason on stderr):
// the namespace could not be made (no privilege).
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kCannotIsolate = 77;
volatile sig_atomic_t childPid = 0;

void PassOn(int signal) {
  if (childPid > 0) ::kill(childPid, signal);
}

[[noreturn]] void Fail(const char* what, int code = 1) {
  std::fprintf(stderr, "vz-test-fakesyslog: %s: %s\n", what, std::strerror(errno));
  std::exit(code);
}

// A fresh /dev holding the machine's entries (bound in) but no "log".
void ReplaceDevWithoutLog() {
  char kept[] = "/tmp/vz-fakesyslog-dev-XXXXXX";
  if (!::mkdtemp(kept)) Fail("mkdtemp");
  if (::mount("/dev", kept, nullptr, MS_BIND | MS_REC, nullptr) != 0) Fail("bind /dev", kCannotIsolate);
  if (::mount("tmpfs", "/dev", "tmpfs", MS_NOSUID, "mode=0755") != 0) Fail("tmpfs on /dev", kCannotIsolate);
  DIR* dir = ::opendir(kept);
  if (!dir) Fail("opendir");
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || name == "log") continue;
    std::string from = std::string(kept) + "/" + name, to = "/dev/" + name;
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      char target[4096];
      ssize_t n = ::readlink(from.c_str(), target, sizeof target - 1);
      if (n > 0 && ::symlink(std::string(target, static_cast<size_t>(n)).c_str(), to.c_str()) != 0) Fail("symlink");
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      if (::mkdir(to.c_str(), 0755) != 0) Fail("mkdir");
    } else {
      int fd = ::open(to.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
      if (fd < 0) Fail("placeholder");
      ::close(fd);
    }
    if (::mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) Fail("bind entry");
  }
  ::closedir(dir);
  ::umount2(kept, MNT_DETACH);
  ::rmdir(kept);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vz-test-fakesyslog OUTFILE PROGRAM [ARG...]\n");
    return 2;
  }
  if (::unshare(CLONE_NEWNS) != 0) Fail("unshare(CLONE_NEWNS)", kCannotIsolate);
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Fail("private /", kCannotIsolate);
  // A running journal is hidden: its socket's folder becomes an empty one.
  struct stat st {};
  if (::stat("/run/systemd/journal", &st) == 0 &&
      ::mount("tmpfs", "/run/systemd/journal", "tmpfs", MS_NOSUID, "mode=0755") != 0)
    Fail("hide the journal", kCannotIsolate);
  ReplaceDevWithoutLog();

  int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (sock < 0) Fail("socket");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, "/dev/log");
  if (::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind /dev/log");
  ::chmod("/dev/log", 0666);
  int out = ::open(argv[1], O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0644);
  if (out < 0) Fail("open OUTFILE");

  struct sigaction action {};
  action.sa_handler = PassOn;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  pid_t child = ::fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    // A helper killed outright (a failed test) takes the program with it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::execv(argv[2], argv + 2);
    Fail("exec");
  }
  childPid = child;

  // Datagrams are written as they come; after the program ended, those still
  // queued are written too.
  auto drain = [&](int timeoutMs) {
    pollfd p{sock, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) > 0) {
      char buffer[65536];
      ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
      if (n < 0) break;
      std::string line(buffer, static_cast<size_t>(n));
      line += '\n';
      if (::write(out, line.data(), line.size()) != static_cast<ssize_t>(line.size())) Fail("write OUTFILE");
    }
  };
  int status = 0;
  for (;;) {
    drain(100);
    pid_t r = ::waitpid(child, &status, WNOHANG);
    if (r == child) break;
    if (r < 0 && errno != EINTR) Fail("waitpid");
  }
  drain(0);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
