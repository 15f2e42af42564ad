// Blocking before a program runs, for real: each test forks a child that
// makes its own mount namespace with a tmpfs, guards it with fanotify and the
// snapshot of lists and exclusions, and runs programs there. The child writes
// what it saw to a report the test reads.
#include <gtest/gtest.h>
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "knowledge/KnowledgeBase.h"
#include "platform/PathConventions.h"
#include "platform/linux/FanotifyExecGuard.h"
#include "protection/BlockSnapshot.h"
#include "protection/ExclusionList.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

using testsupport::TempDir;

constexpr int kNoNamespace = 77;
constexpr int kNoGuard = 78;

// Runs body in a child in a private mount namespace with a tmpfs at `mounted`.
// The report's "key=value" lines come back; a child that could not set up
// leaves "skip=reason".
std::map<std::string, std::string> InPrivateTmpfs(const std::string& mounted, const std::string& reportPath,
                                                  const std::function<void(std::ofstream&)>& body) {
  pid_t child = ::fork();
  if (child == 0) {
    std::ofstream report(reportPath);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mounted.c_str(), "tmpfs", 0, "size=32m") != 0) {
      report << "skip=no private mount namespace with a tmpfs: " << std::strerror(errno) << "\n";
      report.close();
      ::_exit(kNoNamespace);
    }
    body(report);
    report.close();
    ::_exit(0);
  }
  testsupport::ReapChild(child);
  std::map<std::string, std::string> values;
  std::ifstream in(reportPath);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

// The exit code of the program, or the error of starting it ("EPERM" when refused).
std::string RunProgram(const std::string& path) {
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ);
  if (rc != 0) return rc == EPERM ? "EPERM" : std::strerror(rc);
  return std::to_string(testsupport::ReapChild(pid));
}

class ExecBlocking : public ::testing::Test {
 protected:
  void SetUp() override {
    // A tmpfs mounted over a folder of our own, in the child only.
    mounted = work.file("mnt");
    std::filesystem::create_directory(mounted);
  }
  std::map<std::string, std::string> Guarded(platform::ExecGuard::Settings settings,
                                             const std::function<void(std::ofstream&)>& body) {
    return InPrivateTmpfs(mounted, work.file("report.txt"), [&](std::ofstream& report) {
      auto guard = platform::CreateFanotifyExecGuard();
      std::string error;
      if (!guard->Start(settings, error)) {
        report << "skip=fanotify refused (it needs CAP_SYS_ADMIN): " << error << "\n";
        report.close();
        ::_exit(kNoGuard);
      }
      body(report);
      guard->Stop();
    });
  }
  std::string Program(const std::string& folder, const std::string& name) {
    std::filesystem::create_directories(mounted + "/" + folder);
    return testsupport::CopyProgram("/bin/true", mounted + "/" + folder + "/", name);
  }

  TempDir work;
  std::string mounted;
};

TEST_F(ExecBlocking, AListedUnrecognisedProgramIsRefusedAndOthersRun) {
  // The lists: one spyware entry, expected under the Program Files folder's "/vendor".
  testsupport::WriteFile(work.file("MostCProc.txt"), "[Windows]\r\n[windows\\system]\r\n[Programs]\r\nvz-listed=/vendor\r\n");
  knowledge::KnowledgeBase knowledge;
  knowledge::LoadSystemFileLists(knowledge, work.path());
  knowledge.SpywareList().LoadFromText("X\tListed Spy\tvz-listed\tWatches\r\n");
  protection::ExclusionList exclusions(platform::LinuxPathConventions());
  exclusions.AddExclusion(mounted + "/excluded/vz-listed", work.file("EXCFDir.QVA"));
  inventory::FixedFolderValues folders{"/usr", mounted + "/programs", "", "/usr/lib"};
  protection::BlockSnapshot snapshot(knowledge, exclusions, folders, platform::LinuxPathConventions());

  std::mutex mutex;
  std::vector<std::string> denied;
  platform::ExecGuard::Settings settings;
  settings.decide = [&](const platform::ExecAttempt& attempt) { return snapshot.Refusal(attempt.path).empty(); };
  settings.onDenied = [&](const platform::ExecAttempt& attempt) {
    std::lock_guard lock(mutex);
    denied.push_back(attempt.path);
  };
  auto report = Guarded(settings, [&](std::ofstream& out) {
    out << "listed=" << RunProgram(Program("elsewhere", "vz-listed")) << "\n";
    out << "recognised=" << RunProgram(Program("programs/vendor", "vz-listed")) << "\n";
    out << "excluded=" << RunProgram(Program("excluded", "vz-listed")) << "\n";
    out << "unlisted=" << RunProgram(Program("elsewhere", "vz-plain")) << "\n";
    std::lock_guard lock(mutex);
    out << "denied=" << denied.size() << "\n";
    if (!denied.empty()) out << "deniedPath=" << denied[0] << "\n";
  });
  if (report.count("skip")) GTEST_SKIP() << report["skip"];
  EXPECT_EQ(report["listed"], "EPERM");
  EXPECT_EQ(report["recognised"], "0");
  EXPECT_EQ(report["excluded"], "0");
  EXPECT_EQ(report["unlisted"], "0");
  EXPECT_EQ(report["denied"], "1");
  EXPECT_EQ(report["deniedPath"], mounted + "/elsewhere/vz-listed");
  EXPECT_EQ(snapshot.Refusal(mounted + "/elsewhere/VZ-LISTED"), "Listed Spy");
}

TEST_F(ExecBlocking, AStalledDecisionLetsTheProgramRunAfterTheTimeLimit) {
  platform::ExecGuard::Settings settings;
  settings.timeLimitMs = 50;
  settings.decide = [](const platform::ExecAttempt&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    return false;
  };
  auto report = Guarded(settings, [&](std::ofstream& out) {
    std::string program = Program("stall", "vz-stalled");
    auto begin = std::chrono::steady_clock::now();
    out << "result=" << RunProgram(program) << "\n";
    out << "ms=" << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin).count()
        << "\n";
  });
  if (report.count("skip")) GTEST_SKIP() << report["skip"];
  EXPECT_EQ(report["result"], "0");
  // Run at the limit, not when the stalled decision came back.
  EXPECT_LT(std::stoi(report["ms"]), 300) << report["ms"];
}

TEST_F(ExecBlocking, StoppingWhileAProgramWaitsLetsItRun) {
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  platform::ExecGuard::Settings settings;
  settings.timeLimitMs = 60000;  // only the stop can let it go
  settings.decide = [&](const platform::ExecAttempt&) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(10), [&] { return release; });
    return false;
  };
  auto report = InPrivateTmpfs(mounted, work.file("report.txt"), [&](std::ofstream& out) {
    auto guard = platform::CreateFanotifyExecGuard();
    std::string error;
    if (!guard->Start(settings, error)) {
      out << "skip=fanotify refused (it needs CAP_SYS_ADMIN): " << error << "\n";
      return;
    }
    std::string program = Program("pending", "vz-pending");
    std::atomic<bool> ran{false};
    std::string result;
    std::thread runner([&] {
      result = RunProgram(program);
      ran = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    out << "waitedBeforeStop=" << (ran ? "no" : "yes") << "\n";
    std::thread stopper([&] { guard->Stop(); });
    bool ranAfterStop = testsupport::WaitUntil([&] { return ran.load(); }, 3000);
    {
      std::lock_guard lock(mutex);
      release = true;
    }
    changed.notify_all();
    stopper.join();
    runner.join();
    out << "ranAfterStop=" << (ranAfterStop ? "yes" : "no") << "\nresult=" << result << "\n";
  });
  if (report.count("skip")) GTEST_SKIP() << report["skip"];
  EXPECT_EQ(report["waitedBeforeStop"], "yes");
  EXPECT_EQ(report["ranAfterStop"], "yes");
  EXPECT_EQ(report["result"], "0");
}

TEST(ExecutableMounts, NoexecMountsAreLeftOutAndEscapesUndone) {
  auto points = platform::ExecutableMountPoints(
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "23 22 0:5 / /dev/shm rw,nosuid,nodev,noexec shared:2 - tmpfs tmpfs rw\n"
      "24 22 0:6 / /media/my\\040disk ro,relatime - vfat /dev/sdb1 ro\n"
      "garbage\n");
  EXPECT_EQ(points, (std::vector<std::string>{"/", "/media/my disk"}));
}

}  // namespace
}  // namespace vz
