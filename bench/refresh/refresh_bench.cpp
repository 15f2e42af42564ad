// Cost of the main cycle's process refresh: the idle tick (nothing changed:
// only the change test runs) and a full refresh that rebuilds the list and
// scans every process (file origin rules and the spyware lookup in a
// 100 000-line list), beside the bare enumeration of /proc measured in the
// same run. Runs at the machine's process count and with extra sleeping children.
// Usage: bench-refresh [extra-children] [spyware-lines]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "inventory/FileOrigin.h"
#include "inventory/ProcessList.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/linux/ProcfsProcesses.h"
#include "platform/Registry.h"
#include "protection/AlertModel.h"
#include "protection/ExclusionList.h"
#include "protection/ProcessScan.h"
#include "ui/Ports.h"

namespace {

using Clock = std::chrono::steady_clock;
volatile size_t g_sink = 0;

double MedianMs(const std::function<void()>& work, int rounds) {
  std::vector<double> samples;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    work();
    samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int extra = argc > 1 ? std::atoi(argv[1]) : 1000;
  int spywareLines = argc > 2 ? std::atoi(argv[2]) : 100000;

  char folderTemplate[] = "/tmp/vazeru-bench-XXXXXX";
  std::string folder = ::mkdtemp(folderTemplate);
  vz::platform::RegistryLocations locations{folder + "/machine.reg", folder + "/user.reg", folder + "/am", folder + "/au"};
  auto registry = vz::platform::OpenRegistryStore(locations);

  vz::knowledge::KnowledgeBase knowledge;
  std::string list;
  for (int i = 0; i < spywareLines; ++i)
    list += "X\tSpyware number " + std::to_string(i) + "\tspy" + std::to_string(i) + ".exe\tA description of it.\r\n";
  knowledge.SpywareList().LoadFromText(list);
  knowledge.SpecialList().LoadFromText("nothing-special\tSYSTEM32\r\n");

  vz::bench::NullMainWindow window;
  vz::bench::SafeDialogs dialogs;
  vz::ui::NullEventPump events;
  vz::ui::Ports ports{&dialogs, &window, nullptr, &events, nullptr, nullptr, nullptr};
  auto processes = vz::platform::CreateProcfsProcessPlatform();
  vz::inventory::ProcessList processList(*processes, window);
  vz::inventory::FolderValues folderValues(*registry);
  const vz::platform::PathConventions& paths = vz::platform::LinuxPathConventions();
  vz::protection::ExclusionList exclusions(paths);
  vz::protection::ProcessTermination termination(*processes, processList, ports);
  vz::protection::AlertModel alert(ports, termination, exclusions, folder + "/EXCFDir.QVA", paths);
  vz::inventory::FileOriginClassifier classifier(
      knowledge, folderValues, [&](const std::string& f, const std::string& n) { return exclusions.IsExcluded(f, n); },
      paths);
  vz::log::ShieldLog log;
  // A fresh scanner has seen no process yet: every one is classified and looked up.
  std::unique_ptr<vz::protection::ProcessScanner> scanner;
  auto freshScanner = [&] {
    scanner = std::make_unique<vz::protection::ProcessScanner>(processList, classifier, folderValues, knowledge, alert,
                                                                log, ports, paths);
  };
  freshScanner();
  size_t scanned = 0;
  processList.SetScanFunction([&](const std::string& name, std::uint32_t pid, int position) {
    ++scanned;
    scanner->ScanProcess(name, pid, position);
  });
  // The index of the spyware list is built at the first lookup after loading.
  auto indexStart = Clock::now();
  g_sink = g_sink + knowledge.FindSpywareName("warm-up", 2);
  double indexMs = std::chrono::duration<double, std::milli>(Clock::now() - indexStart).count();

  auto report = [&](const char* label) {
    processList.SetForceRefresh(true);
    processList.RefreshProcessList();
    size_t count = processList.Table().RowCount();
    double idle = MedianMs([&] { processList.RefreshProcessList(); }, 21);
    double full = MedianMs(
        [&] {
          freshScanner();
          processList.ResetScanMemory();
          processList.SetForceRefresh(true);
          processList.RefreshProcessList();
        },
        9);
    // Every position moved (a process ended before them all): the list is
    // rebuilt and every process handed to the scan again, which knows them.
    double moved = MedianMs(
        [&] {
          processList.ResetScanMemory();
          processList.SetForceRefresh(true);
          processList.RefreshProcessList();
        },
        9);
    double floor = MedianMs([] { g_sink = g_sink + vz::bench::EnumerateProcFloor(); }, 21);
    std::printf("%-24s %9zu %12.3f %16.3f %16.3f %14.3f\n", label, count, idle, full, moved, floor);
  };
  std::printf("milliseconds per call (medians); spyware list of %d lines, its index built in %.1f ms\n",
              spywareLines, indexMs);
  std::printf("%-24s %9s %12s %16s %16s %14s\n", "", "processes", "idle tick", "refresh + scan", "all moved", "enumeration");
  report("current");
  auto children = vz::bench::SpawnSleepers(extra);
  std::string label = "+" + std::to_string(children.size()) + " sleeping children";
  report(label.c_str());
  vz::bench::ReapSleepers(children);
  std::printf("goal: refresh + scan of 1000 processes under 100 ms\n");
  std::filesystem::remove_all(folder);
  return static_cast<int>(g_sink & 0) + (scanned ? 0 : 1);
}
