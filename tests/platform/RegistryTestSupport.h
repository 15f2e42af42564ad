#pragma once
// Shared by the registry tests: a temporary registry (both hives and both Run
// folders in a temporary folder, also set in the environment) and the helper
// process that writes the same hives.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "support/TestSupport.h"

extern char** environ;

namespace vz::platform::regtest {

class TempRegistry {
 public:
  explicit TempRegistry(bool seed = false) {
    locations.machineHive = dir.file("machine.reg");
    locations.userHive = dir.file("user.reg");
    locations.machineAutostart = dir.file("autostart-machine");
    locations.userAutostart = dir.file("config/autostart");
    locations.seedMachineFolders = seed;
    ::setenv("VAZERU_REGISTRY_DIR", dir.path().c_str(), 1);
    ::setenv("VAZERU_AUTOSTART_MACHINE_DIR", locations.machineAutostart.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  }
  std::unique_ptr<RegistryStore> Open() const { return OpenRegistryStore(locations); }

  testsupport::TempDir dir;
  RegistryLocations locations;
};

// The helper program beside the test binary (both are built into build/tests).
inline std::string HiveWriterPath() {
  if (const char* dir = std::getenv("VAZERU_TEST_HELPERS"); dir && *dir) return std::string(dir) + "/vz-test-hivewriter";
  char self[4096] = {};
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1) + "vz-test-hivewriter";
}

// A running vz-test-hivewriter; killed at destruction if still running.
class HiveWriter {
 public:
  explicit HiveWriter(std::vector<std::string> args) {
    std::string program = HiveWriterPath();
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~HiveWriter() {
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  // The exit code once it ended within the time, else -1.
  int Wait(int timeoutMs) {
    testsupport::WaitUntil([&] { return Reap(); }, timeoutMs);
    return done_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  void KillNow() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
    done_ = true;
  }

 private:
  bool Reap() {
    if (!done_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) done_ = true;
    return done_;
  }
  pid_t pid_ = -1;
  int status_ = 0;
  bool done_ = false;
};

inline RegistryKey OpenOrFail(RegistryStore& store, RegistryRoot root, const std::string& path,
                              RegAccess access = RegAccess::ReadWrite,
                              RegDisposition how = RegDisposition::CreateIfMissing) {
  RegistryKey key;
  store.OpenKey(root, path, access, how, key);
  return key;
}

}  // namespace vz::platform::regtest
