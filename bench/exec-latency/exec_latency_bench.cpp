// Start-to-verdict latency of a listed program through the process events
// beside the two-second refresh (the main cycle's cadence), the share of
// 10 ms programs each road catches, and the cost of the exec guard on 2000
// execve of /bin/true (run in a private mount namespace, so the guard never
// touches the machine's other programs). Run as root.
// Usage: bench-exec-latency [starts]
#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "inventory/FileOrigin.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/Registry.h"
#include "platform/linux/FanotifyExecGuard.h"
#include "platform/linux/ProcConnectorEvents.h"
#include "platform/linux/ProcfsProcesses.h"
#include "protection/AlertModel.h"
#include "protection/BlockSnapshot.h"
#include "protection/ExclusionList.h"
#include "protection/InstantDetection.h"
#include "protection/ProcessScan.h"
#include "ui/Ports.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using vz::platform::Pid;

// The UI thread of the bench: runs what the event thread posts, as a front end's loop does.
class LoopDispatcher final : public vz::ui::UiDispatcher {
 public:
  bool RunAndWait(const std::function<void()>& f) override {
    f();
    return true;
  }
  bool Post(std::function<void()> f) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(f));
    changed_.notify_one();
    return true;
  }
  // Runs posted calls until `until` passes.
  void RunUntil(Clock::time_point until, const std::function<void()>& onIdle = {}) {
    while (Clock::now() < until) {
      std::vector<std::function<void()>> batch;
      {
        std::unique_lock lock(mutex_);
        changed_.wait_until(lock, std::min(until, Clock::now() + std::chrono::milliseconds(10)),
                            [&] { return !posted_.empty(); });
        batch.swap(posted_);
      }
      for (auto& f : batch) f();
      if (onIdle) onIdle();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::function<void()>> posted_;
};

class RecordingAlert final : public vz::ui::AlertView {
 public:
  std::function<void(const vz::protection::AlertModel&)> onShow;
  bool IsShowing() const override { return false; }
  void ShowModal(vz::protection::AlertModel& alert) override { onShow(alert); }
  void ShowAgain(vz::protection::AlertModel& alert) override { onShow(alert); }
  void Close() override {}
};

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

void Reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// One shield core: lists, process list, scanner, alert, and the event road.
struct Core {
  explicit Core(const std::string& folder, const std::string& listedName)
      : registry(vz::platform::OpenRegistryStore(
            {folder + "/machine.reg", folder + "/user.reg", folder + "/am", folder + "/au"})),
        folderValues(*registry),
        exclusions(paths),
        termination(*processes, processList, ports),
        alert(ports, termination, exclusions, folder + "/EXCFDir.QVA", paths),
        classifier(knowledge, folderValues, {}, paths),
        scanner(processList, classifier, folderValues, knowledge, alert, log, ports, paths),
        instant(&dispatcher, &alertView, log,
                vz::protection::InstantDetection::Hooks{
                    [this](const vz::inventory::ProcessIdentity& p) { scanner.ScanStartedProcess(p); },
                    [this] { processList.SetForceRefresh(true); }, {}}) {
    knowledge.SpywareList().LoadFromText("X\tBench Spy\t" + listedName + "\tA listed program.\r\n");
    knowledge.FindSpywareName("warm-up", 2);
    processList.SetScanFunction(
        [this](const std::string& name, std::uint32_t pid, int position) { scanner.ScanProcess(name, pid, position); });
    alertView.onShow = [this](const vz::protection::AlertModel& a) {
      std::lock_guard lock(mutex);
      decided.emplace(a.Fields().process.pid, Clock::now());
    };
  }

  const vz::platform::PathConventions& paths = vz::platform::LinuxPathConventions();
  vz::bench::NullMainWindow window;
  vz::bench::SafeDialogs dialogs;
  vz::ui::NullEventPump events;
  LoopDispatcher dispatcher;
  RecordingAlert alertView;
  vz::ui::Ports ports{&dialogs, &window, &alertView, &events, &dispatcher, nullptr, nullptr};
  std::unique_ptr<vz::platform::ProcessPlatform> processes = vz::platform::CreateProcfsProcessPlatform();
  std::unique_ptr<vz::platform::RegistryStore> registry;
  vz::knowledge::KnowledgeBase knowledge;
  vz::inventory::ProcessList processList{*processes, window};
  vz::inventory::FolderValues folderValues;
  vz::protection::ExclusionList exclusions;
  vz::protection::ProcessTermination termination;
  vz::protection::AlertModel alert;
  vz::inventory::FileOriginClassifier classifier;
  vz::log::ShieldLog log;
  vz::protection::ProcessScanner scanner;
  vz::protection::InstantDetection instant;
  std::mutex mutex;
  std::map<Pid, Clock::time_point> decided;  // first verdict per PID
};

struct RoadResult {
  std::vector<double> latencyMs;       // from the spawn call's return (the exec has happened)
  std::vector<double> latencyCallMs;   // from the spawn call (process creation included)
  int starts = 0;
  int caught = 0;
};

// Starts `count` copies of program with args, one every `spacing`, on a
// thread, while this thread runs the UI (and, with refresh, the refresh every
// two seconds). Latency: from just before the spawn to the verdict.
RoadResult Drive(Core& core, bool refresh, const std::vector<std::string>& args, int count,
                 std::chrono::milliseconds spacing, std::chrono::milliseconds settle) {
  std::mutex mutex;
  std::map<Pid, std::pair<Clock::time_point, Clock::time_point>> started;
  std::atomic<bool> done{false};
  std::thread spawner([&] {
    for (int i = 0; i < count; ++i) {
      auto call = Clock::now();
      pid_t pid = Spawn(args);
      auto back = Clock::now();
      if (pid > 0) {
        std::lock_guard lock(mutex);
        started.emplace(static_cast<Pid>(pid), std::make_pair(call, back));
      }
      std::thread([pid] { Reap(pid); }).detach();
      std::this_thread::sleep_for(spacing);
    }
    done = true;
  });
  auto nextRefresh = Clock::now() + std::chrono::seconds(2);
  auto onIdle = [&] {
    if (refresh && Clock::now() >= nextRefresh) {
      core.processList.RefreshProcessList();
      nextRefresh += std::chrono::seconds(2);
    }
  };
  while (!done) core.dispatcher.RunUntil(Clock::now() + std::chrono::milliseconds(50), onIdle);
  spawner.join();
  core.dispatcher.RunUntil(Clock::now() + settle, onIdle);
  RoadResult result;
  result.starts = static_cast<int>(started.size());
  std::lock_guard lock(core.mutex);
  for (const auto& [pid, t] : started) {
    auto it = core.decided.find(pid);
    if (it == core.decided.end()) continue;
    ++result.caught;
    // A verdict given before the parent was back from the spawn counts as 0.
    result.latencyMs.push_back(std::max(0.0, std::chrono::duration<double, std::milli>(it->second - t.second).count()));
    result.latencyCallMs.push_back(std::chrono::duration<double, std::milli>(it->second - t.first).count());
  }
  core.decided.clear();
  return result;
}

double ProcessCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Per-exec time in ms of `count` execve of /bin/true; cpuMs gets this
// process's CPU time per exec (spawning, and the guard's threads when on).
double ExecBlock(int count, double* cpuMs = nullptr) {
  auto begin = Clock::now();
  double cpu = ProcessCpuMs();
  for (int i = 0; i < count; ++i) {
    pid_t pid = Spawn({"/bin/true"});
    if (pid > 0) Reap(pid);
  }
  if (cpuMs) *cpuMs = (ProcessCpuMs() - cpu) / count;
  return std::chrono::duration<double, std::milli>(Clock::now() - begin).count() / count;
}

// 2000 execve of /bin/true with the guard off and 2000 with it on, in
// alternating blocks of 100 so both see the same machine; median per exec.
struct Cost {
  double off, on, cpuOff, cpuOn;
};
Cost ExecCost(const vz::protection::BlockSnapshot& snapshot) {
  auto guard = vz::platform::CreateFanotifyExecGuard();
  std::vector<double> off, on, cpuOff, cpuOn;
  double cpu = 0;
  for (int round = 0; round < 20; ++round) {
    off.push_back(ExecBlock(100, &cpu));
    cpuOff.push_back(cpu);
    vz::platform::ExecGuard::Settings settings;
    settings.decide = [&](const vz::platform::ExecAttempt& a) { return snapshot.Refusal(a.path).empty(); };
    std::string error;
    if (!guard->Start(settings, error)) {
      std::fprintf(stderr, "exec guard: %s\n", error.c_str());
      return {-1, -1, -1, -1};
    }
    on.push_back(ExecBlock(100, &cpu));
    cpuOn.push_back(cpu);
    guard->Stop();
  }
  return {Percentile(off, 0.5), Percentile(on, 0.5), Percentile(cpuOff, 0.5), Percentile(cpuOn, 0.5)};
}

}  // namespace

int main(int argc, char** argv) {
  int starts = argc > 1 ? std::atoi(argv[1]) : 1000;
  char folderTemplate[] = "/tmp/vazeru-bench-XXXXXX";
  std::string folder = ::mkdtemp(folderTemplate);
  const std::string listed = "vz-bench-spy-" + std::to_string(::getpid());
  const std::string program = folder + "/" + listed;
  std::filesystem::copy_file("/bin/sleep", program);

  // 1. Latency: events.
  double p50e = 0, p99e = 0, p50r = 0, p99r = 0, c50e = 0, c99e = 0, c50r = 0, c99r = 0;
  int caughtBriefEvents = 0, caughtBriefRefresh = 0;
  {
    Core core(folder, listed);
    auto source = vz::platform::CreateProcConnectorEventSource();
    core.instant.Start(source.get());
    if (!core.instant.Live()) {
      std::printf("process events not available: %s\n", core.log.Entries().front().c_str());
      return 1;
    }
    RoadResult events = Drive(core, true, {program, "0.05"}, starts, std::chrono::milliseconds(2),
                              std::chrono::milliseconds(500));
    p50e = Percentile(events.latencyMs, 0.5);
    p99e = Percentile(events.latencyMs, 0.99);
    c50e = Percentile(events.latencyCallMs, 0.5);
    c99e = Percentile(events.latencyCallMs, 0.99);
    std::printf("events: %d of %d starts decided\n", events.caught, events.starts);
    RoadResult brief = Drive(core, true, {program, "0.01"}, 200, std::chrono::milliseconds(5),
                             std::chrono::milliseconds(500));
    caughtBriefEvents = brief.caught;
    core.instant.Stop();
  }
  // 2. Latency: the refresh alone (programs that live 2.5 s, so it can see them).
  {
    Core core(folder, listed);
    core.processList.RefreshProcessList();
    RoadResult refresh = Drive(core, true, {program, "2.5"}, 40, std::chrono::milliseconds(150),
                               std::chrono::milliseconds(2500));
    p50r = Percentile(refresh.latencyMs, 0.5);
    p99r = Percentile(refresh.latencyMs, 0.99);
    c50r = Percentile(refresh.latencyCallMs, 0.5);
    c99r = Percentile(refresh.latencyCallMs, 0.99);
    std::printf("refresh: %d of %d starts decided\n", refresh.caught, refresh.starts);
    RoadResult brief = Drive(core, true, {program, "0.01"}, 200, std::chrono::milliseconds(5),
                             std::chrono::milliseconds(2500));
    caughtBriefRefresh = brief.caught;
  }
  std::printf("\nstart-to-verdict latency, ms         from exec        from spawn call\n");
  std::printf("                                   p50      p99      p50      p99\n");
  std::printf("  instant events (%4d starts) %8.2f %8.2f %8.2f %8.2f\n", starts, p50e, p99e, c50e, c99e);
  std::printf("  two-second refresh (40)      %8.2f %8.2f %8.2f %8.2f\n", p50r, p99r, c50r, c99r);
  std::printf("goal: events p50 under 5 ms, p99 under 50 ms\n\n");
  std::printf("programs of 10 ms caught (of 200):  events %d (%.0f%%)   refresh only %d (%.0f%%)\n\n",
              caughtBriefEvents, caughtBriefEvents / 2.0, caughtBriefRefresh, caughtBriefRefresh / 2.0);

  // 3. The guard's cost, in a child with its own mount namespace.
  std::fflush(stdout);
  pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      std::printf("exec guard cost: no private mount namespace (%s)\n", std::strerror(errno));
      ::_exit(0);
    }
    vz::knowledge::KnowledgeBase knowledge;
    knowledge.SpywareList().LoadFromText("X\tBench Spy\t" + listed + "\tA listed program.\r\n");
    vz::protection::ExclusionList exclusions(vz::platform::LinuxPathConventions());
    vz::protection::BlockSnapshot snapshot(knowledge, exclusions, {"/usr", "/opt", "", "/usr/lib"},
                                           vz::platform::LinuxPathConventions());
    ExecBlock(100);  // warm the caches
    Cost cost = ExecCost(snapshot);
    std::printf("execve of /bin/true, 2000 each, medians per exec:\n");
    std::printf("  wall ms        guard off %7.3f   guard on %7.3f   (%+.1f%%)\n", cost.off, cost.on,
                100.0 * (cost.on - cost.off) / cost.off);
    std::printf("  our CPU ms     guard off %7.3f   guard on %7.3f   (%+.3f ms per exec for the guard)\n", cost.cpuOff,
                cost.cpuOn, cost.cpuOn - cost.cpuOff);
    std::printf("goal: under 10%% slower\n");
    std::fflush(stdout);
    ::_exit(0);
  }
  Reap(child);
  std::filesystem::remove_all(folder);
  return 0;
}
