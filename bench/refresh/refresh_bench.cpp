// Cost of the main cycle's process refresh: the idle tick (nothing changed:
// only the change test runs) and a full refresh that rebuilds the list and
// scans every process (file origin rules and the spyware lookup in a
// 100 000-line list), beside the bare enumeration of /proc measured in the
// same run. Runs at the machine's process count and with extra sleeping children.
// Usage: bench-refresh [extra-children] [spyware-lines]
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// A window that shows nothing: the benchmark measures the core alone.
class NullWindow final : public vz::ui::MainWindowView {
 public:
  void SetStatusPanel(int, const std::string&) override {}
  void ShowWindow() override {}
  void HideWindow() override {}
  bool IsWindowShowing() const override { return false; }
  void SetWindowState(vz::ui::WindowState) override {}
  void BringToFront() override {}
  void SetCaption(const std::string&) override {}
  void SetBusyCursor(bool) override {}
  void SetProcessList(const std::vector<std::string>&, int) override {}
  void SetProcessPageEnabled(bool) override {}
  void SetShieldLog(const std::vector<std::string>&) override {}
  void SetStartupRows(const std::vector<vz::ui::StartupRow>&, int) override {}
  void SetOptionChecked(vz::ui::LiveOption, bool) override {}
  void SetShowVazeruEnabled(bool) override {}
  void SetInfoLabel(const std::string&) override {}
};

class NullDialogs final : public vz::ui::Dialogs {
 public:
  vz::ui::DialogAnswer Show(const vz::ui::DialogRequest& r) override { return vz::ui::SafeAnswer(r.buttons); }
};

// The floor: what any program listing processes from /proc pays.
void Enumerate() {
  DIR* dir = ::opendir("/proc");
  if (!dir) return;
  int rootFd = ::dirfd(dir);
  char path[300];
  char buffer[2048];
  size_t total = 0;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
    std::snprintf(path, sizeof path, "%s/stat", entry->d_name);
    int fd = ::openat(rootFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n > 0) total += static_cast<size_t>(n);
  }
  ::closedir(dir);
  g_sink = g_sink + total;
}

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

std::vector<pid_t> SpawnSleepers(int count) {
  std::vector<pid_t> children;
  pid_t parent = ::getpid();
  for (int i = 0; i < count; ++i) {
    pid_t pid = ::fork();
    if (pid < 0) break;
    if (pid == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(0);
      for (;;) ::pause();
    }
    children.push_back(pid);
  }
  return children;
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

  NullWindow window;
  NullDialogs dialogs;
  vz::ui::NullEventPump events;
  vz::ui::Ports ports{&dialogs, &window, nullptr, &events, nullptr, nullptr, nullptr};
  auto processes = vz::platform::CreateProcfsProcessPlatform();
  vz::inventory::ProcessList processList(*processes, window);
  vz::inventory::FolderValues folderValues(*registry);
  vz::protection::ExclusionList exclusions;
  vz::protection::ProcessTermination termination(*processes, processList, ports);
  vz::protection::AlertModel alert(ports, termination, exclusions, folder + "/EXCFDir.QVA");
  vz::inventory::FileOriginClassifier classifier(
      knowledge, folderValues, [&](const std::string& f, const std::string& n) { return exclusions.IsExcluded(f, n); });
  vz::app::ShieldLog log;
  // A fresh scanner has seen no process yet: every one is classified and looked up.
  std::unique_ptr<vz::protection::ProcessScanner> scanner;
  auto freshScanner = [&] {
    scanner = std::make_unique<vz::protection::ProcessScanner>(processList, classifier, folderValues, knowledge, alert,
                                                                log, ports);
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
    double floor = MedianMs(Enumerate, 21);
    std::printf("%-24s %9zu %12.3f %16.3f %16.3f %14.3f\n", label, count, idle, full, moved, floor);
  };
  std::printf("milliseconds per call (medians); spyware list of %d lines, its index built in %.1f ms\n",
              spywareLines, indexMs);
  std::printf("%-24s %9s %12s %16s %16s %14s\n", "", "processes", "idle tick", "refresh + scan", "all moved", "enumeration");
  report("current");
  auto children = SpawnSleepers(extra);
  std::string label = "+" + std::to_string(children.size()) + " sleeping children";
  report(label.c_str());
  for (pid_t pid : children) ::kill(pid, SIGKILL);
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  std::printf("goal: refresh + scan of 1000 processes under 100 ms\n");
  std::filesystem::remove_all(folder);
  return static_cast<int>(g_sink & 0) + (scanned ? 0 : 1);
}
