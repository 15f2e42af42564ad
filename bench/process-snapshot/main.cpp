// Cost of the process platform's change test (AppendSnapshotSignature) and of
// a full list build (EnumerateProcessIds + OpenProcess each + one Snapshot for
// those that cannot be opened), beside the floor measured in the same run: a
// bare opendir/readdir of /proc plus one read of /proc/PID/stat per process.
// Runs at the current process count, then with 1000 extra sleeping children,
// under the process's own descriptor limit and under the usual desktop soft
// limit of 1024 (the change test keeps fewer descriptors there).
// Usage: bench-process-snapshot [extra-children]

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/linux/ProcfsProcesses.h"

namespace {

using Clock = std::chrono::steady_clock;
using vz::platform::Pid;
using vz::platform::ProcessPlatform;

// Keeps the compiler from dropping the measured work.
volatile size_t g_sink = 0;

void Floor() { g_sink = g_sink + vz::bench::EnumerateProcFloor(); }

void Signature(ProcessPlatform& platform) {
  std::string signature;  // fresh each time, as a caller building it anew would
  platform.AppendSnapshotSignature(signature);
  g_sink = g_sink + signature.size();
}

void BuildList(ProcessPlatform& platform) {
  size_t total = 0;
  std::vector<vz::platform::SnapshotEntry> snapshot;
  bool haveSnapshot = false;
  for (Pid pid : platform.EnumerateProcessIds()) {
    if (auto opened = platform.OpenProcess(pid)) {
      total += opened->baseName.size() + opened->fullPath.size();
      continue;
    }
    if (!haveSnapshot) {
      snapshot = platform.Snapshot();
      haveSnapshot = true;
    }
    auto it = std::find_if(snapshot.begin(), snapshot.end(), [&](const auto& e) { return e.pid == pid; });
    if (it != snapshot.end()) total += it->name.size();
  }
  g_sink = g_sink + total;
}

// Median microseconds per call over interleaved rounds, so that a burst of
// other load on the machine hits every contender alike.
std::vector<double> Measure(const std::vector<std::function<void()>>& contenders, int rounds, double roundMs) {
  std::vector<std::vector<double>> samples(contenders.size());
  for (auto& f : contenders) f();  // warm caches
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < contenders.size(); ++i) {
      int calls = 0;
      auto start = Clock::now();
      auto elapsed = Clock::duration::zero();
      do {
        contenders[i]();
        ++calls;
        elapsed = Clock::now() - start;
      } while (std::chrono::duration<double, std::milli>(elapsed).count() < roundMs);
      samples[i].push_back(std::chrono::duration<double, std::micro>(elapsed).count() / calls);
    }
  }
  std::vector<double> medians;
  for (auto& s : samples) {
    std::sort(s.begin(), s.end());
    medians.push_back(s[s.size() / 2]);
  }
  return medians;
}

void Report(const char* label, ProcessPlatform& platform) {
  auto m = Measure({Floor, [&] { Signature(platform); }, [&] { BuildList(platform); }}, 9, 40.0);
  std::printf("%-22s %9zu %12.1f %15.1f %7.2fx %14.1f\n", label, vz::bench::ProcessCount(), m[0], m[1], m[1] / m[0], m[2]);
}

}  // namespace

int main(int argc, char** argv) {
  int extra = argc > 1 ? std::atoi(argv[1]) : 1000;
  auto platform = vz::platform::CreateProcfsProcessPlatform();
  std::printf("microseconds per call (median of 9 interleaved rounds)\n");
  std::printf("%-22s %9s %12s %15s %8s %14s\n", "", "processes", "floor", "signature", "ratio", "full build");
  Report("current", *platform);
  auto children = vz::bench::SpawnSleepers(extra);
  char label[64];
  std::snprintf(label, sizeof label, "+%zu sleeping children", children.size());
  Report(label, *platform);
  struct rlimit own {};
  ::getrlimit(RLIMIT_NOFILE, &own);
  if (own.rlim_cur > 1024) {
    struct rlimit usual = own;
    usual.rlim_cur = 1024;
    if (::setrlimit(RLIMIT_NOFILE, &usual) == 0) {
      // A fresh platform: the change test sizes its budget on its first pass.
      auto underUsualLimit = vz::platform::CreateProcfsProcessPlatform();
      std::snprintf(label, sizeof label, "  ... soft limit 1024");
      Report(label, *underUsualLimit);
      ::setrlimit(RLIMIT_NOFILE, &own);
    }
  }
  vz::bench::ReapSleepers(children);
  std::printf("goal: signature within 1.5x of the floor\n");
  return static_cast<int>(g_sink & 0);
}
