#include "support/TestSupport.h"

#include "archive/ArchiveWriter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vz::testsupport {

namespace fs = std::filesystem;

namespace {

// Spawn attributes that start a child with no signal blocked, whatever the
// spawning thread blocks.
class NoSignalBlocked {
 public:
  NoSignalBlocked() {
    posix_spawnattr_init(&attributes_);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK);
  }
  ~NoSignalBlocked() { posix_spawnattr_destroy(&attributes_); }
  NoSignalBlocked(const NoSignalBlocked&) = delete;
  NoSignalBlocked& operator=(const NoSignalBlocked&) = delete;
  const posix_spawnattr_t* Get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

std::string TemporaryBase() {
  const char* base = std::getenv("TMPDIR");
  return base && *base ? base : "/tmp";
}

}  // namespace

TempDir::TempDir() : TempDir(TemporaryBase()) {}

TempDir::TempDir(const std::string& base) {
  std::string pattern = base + "/vazeru-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed");
  path_ = std::string(buffer.data()) + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only files and folders made by tests must not stop the clean-up.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string MemoryFolder() {
  struct statfs fs {};
  if (::statfs("/dev/shm", &fs) == 0 && fs.f_type == TMPFS_MAGIC && ::access("/dev/shm", W_OK | X_OK) == 0)
    return "/dev/shm";
  return TemporaryBase();
}

std::string CopyProgram(const std::string& from, const std::string& folder, const std::string& name) {
  std::string path = folder + name;
  if (!fs::exists(path)) {
    fs::copy_file(from, path);
    ::chmod(path.c_str(), 0755);
  }
  return path;
}

pid_t SpawnProgram(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  NoSignalBlocked attributes;
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, attributes.Get(), argv.data(), environ) != 0)
    throw std::runtime_error("cannot start " + args[0]);
  return pid;
}

int ReapChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ChildProcess::ChildProcess(const std::string& folder, const std::string& name, int niceness) {
  path_ = folder + name;
  // A second child of the same program runs the file already there (a running
  // program file cannot be overwritten).
  if (!fs::exists(path_)) {
    fs::copy_file(TestHelperPath("vz-test-sleeper"), path_);
    ::chmod(path_.c_str(), 0755);
  }
  std::string niceText = std::to_string(niceness);
  std::vector<char*> argv;
  std::string niceProgram = "nice";
  std::string nFlag = "-n";
  if (niceness != 0) {
    argv = {niceProgram.data(), nFlag.data(), niceText.data(), path_.data(), nullptr};
  } else {
    argv = {path_.data(), nullptr};
  }
  NoSignalBlocked attributes;
  int rc = niceness != 0 ? posix_spawnp(&pid_, "nice", nullptr, attributes.Get(), argv.data(), environ)
                         : posix_spawn(&pid_, path_.c_str(), nullptr, attributes.Get(), argv.data(), environ);
  if (rc != 0) throw std::runtime_error("cannot start " + path_);
  // Wait until the child runs its own program (after nice's exec), so that
  // /proc shows the final name and path.
  std::string exeLink = "/proc/" + std::to_string(pid_) + "/exe";
  WaitUntil(
      [&] {
        std::error_code ec;
        return fs::read_symlink(exeLink, ec) == fs::path(path_);
      },
      5000);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Kill() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
  }
}

bool ChildProcess::HasExited() {
  if (reaped_) return true;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) reaped_ = true;
  return reaped_;
}

bool ChildProcess::WaitForExit(int timeoutMs) {
  return WaitUntil([&] { return HasExited(); }, timeoutMs);
}

ProgramRun::ProgramRun(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                       const std::string& outputFile, bool typedInput)
    : outputFile_(outputFile) {
  int input[2] = {-1, -1};
  if (typedInput && ::pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const auto& e : extraEnv) env.push_back(e);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (typedInput)
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  else
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  NoSignalBlocked attributes;
  int rc = posix_spawn(&pid_, args[0], &actions, attributes.Get(), args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (typedInput) {
    ::close(input[0]);
    inputFd_ = input[1];
  }
  if (rc != 0) {
    if (inputFd_ >= 0) ::close(inputFd_);
    throw std::runtime_error("cannot start " + argv[0]);
  }
}

ProgramRun::~ProgramRun() {
  if (inputFd_ >= 0) ::close(inputFd_);
  if (!reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
  }
}

bool ProgramRun::WaitForExit(int timeoutMs, int* exitCode) {
  bool ended = WaitUntil(
      [&] {
        if (reaped_) return true;
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
        return reaped_;
      },
      timeoutMs);
  if (ended && exitCode) *exitCode = WIFEXITED(status_) ? WEXITSTATUS(status_) : -WTERMSIG(status_);
  return ended;
}

void ProgramRun::Signal(int signal) {
  if (!reaped_) ::kill(pid_, signal);
}

std::string ProgramRun::Output() const { return ReadFile(outputFile_); }

void ProgramRun::Type(const std::string& text) {
  if (inputFd_ < 0 || ::write(inputFd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("cannot type into the program");
}

bool ProgramRun::WaitForOutput(const std::string& text, int timeoutMs) const {
  return WaitUntil([&] { return Output().find(text) != std::string::npos; }, timeoutMs);
}

void PackArchive(const std::string& archivePath, const std::string& member, const std::string& text) {
  archive::ArchiveWriter writer(archivePath);
  writer.AddData(text, archive::EntryInfo{member, 0x5A000000u, 0x20});
  writer.Commit();
}

std::unique_ptr<platform::RegistryStore> OpenTestRegistry(const TempDir& folder) {
  platform::RegistryLocations locations;
  locations.machineHive = folder.file("machine.reg");
  locations.userHive = folder.file("user.reg");
  locations.machineAutostart = folder.file("autostart-machine");
  locations.userAutostart = folder.file("autostart-user");
  return platform::OpenRegistryStore(locations);
}

namespace {
std::string Configured(const char* variable, const char* builtIn) {
  const char* value = std::getenv(variable);
  return value && *value ? value : builtIn;
}
}  // namespace

std::string TestHelperPath(const std::string& name) {
  return Configured("VAZERU_TEST_HELPERS", VAZERU_TEST_HELPERS_DEFAULT) + "/" + name;
}

std::string ProgramPath(const std::string& name) { return Configured("VAZERU_BIN_DIR", VAZERU_BIN_DIR_DEFAULT) + "/" + name; }

std::string SourcePath(const std::string& relative) {
  return Configured("VAZERU_SOURCE_DIR", VAZERU_SOURCE_DIR_DEFAULT) + "/" + relative;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  return lines;
}

size_t CountOccurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<int> InheritableDescriptors() {
  std::vector<int> fds;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    int fd = std::stoi(e.path().filename().string());
    int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0 && (flags & FD_CLOEXEC) == 0) fds.push_back(fd);
  }
  return fds;
}

bool ReturnsPromptly(const std::function<void()>& work, const std::string& fifoPath, int timeoutMs) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([&] {
    work();
    done.set_value();
  });
  const bool prompt = finished.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
  if (!prompt) {
    int fd = ::open(fifoPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  worker.join();
  return prompt;
}

}  // namespace vz::testsupport
