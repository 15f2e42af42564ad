#include "install/InstallSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/TestSupport.h"

namespace vz::installtest {

namespace fs = std::filesystem;

CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& settings,
                         int timeoutMs) {
  testsupport::TempDir scratch;
  // env replaces variables the test process has (HOME, PATH) instead of adding a second copy.
  std::vector<std::string> full{"/usr/bin/env"};
  full.insert(full.end(), settings.begin(), settings.end());
  full.insert(full.end(), argv.begin(), argv.end());
  testsupport::ProgramRun run(full, {}, scratch.file("output"));
  CommandResult result;
  if (!run.WaitForExit(timeoutMs, &result.exitCode)) result.exitCode = -1;
  result.output = run.Output();
  return result;
}

bool ToolAvailable(const std::string& name) {
  return RunCommand({"sh", "-c", "command -v \"$0\" >/dev/null", name}).exitCode == 0;
}

CommandResult InstallBuild(const std::string& destdir, const std::string& prefix) {
  return RunCommand({VAZERU_CMAKE_COMMAND, "--install", VAZERU_BUILD_DIR, "--prefix", prefix}, {"DESTDIR=" + destdir});
}

std::vector<std::string> BuiltPrograms() {
  std::vector<std::string> programs;
  const std::string bin = testsupport::ProgramPath("");
  for (const auto& entry : fs::directory_iterator(bin)) {
    struct stat st {};
    if (::stat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111))
      programs.push_back(entry.path().filename().string());
  }
  std::sort(programs.begin(), programs.end());
  return programs;
}

std::vector<std::string> ExpectedInstalledFiles() {
  const std::string id = VAZERU_APP_ID;
  std::vector<std::string> files;
  for (const auto& program : BuiltPrograms()) {
    files.push_back("bin/" + program);
    files.push_back("share/man/man1/" + program + ".1.gz");
  }
  for (const char* data : {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "Procupd.txt", "MostCProc.txt"})
    files.push_back(std::string("share/orvane-vazeru/") + data);
  files.push_back("share/applications/" + id + ".desktop");
  files.push_back("share/metainfo/" + id + ".metainfo.xml");
  files.push_back("share/icons/hicolor/scalable/apps/" + id + ".svg");
  for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
    files.push_back(std::string("share/icons/hicolor/") + size + "x" + size + "/apps/" + id + ".png");
  files.push_back("share/systemd/user/qvshield.service");
  files.push_back("share/doc/orvane-vazeru/copyright");
  files.push_back("share/doc/orvane-vazeru/changelog.gz");
  return files;
}

std::map<std::string, std::string> SnapshotTree(const std::string& root) {
  std::map<std::string, std::string> snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    if (::lstat(entry.path().c_str(), &st) != 0) continue;
    snapshot[entry.path().string()] = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                                      std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
  }
  return snapshot;
}

bool IsRoot() { return ::geteuid() == 0; }

}  // namespace vz::installtest
