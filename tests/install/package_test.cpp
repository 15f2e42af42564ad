// The Debian package, built once: its file list, its control fields and
// lintian; then, as root, installed into this machine and removed again,
// leaving the machine as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "install/InstallSupport.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace vz::installtest {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

constexpr const char* kPackage = "orvane-vazeru";

// Lines of text that start with prefix.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  for (const auto& line : testsupport::SplitLines(text))
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  return lines;
}

// The paths of the package's files, as installed ("/usr/bin/qvshield").
std::vector<std::string> PackagedFiles(const std::string& deb) {
  CommandResult listing = RunCommand({"dpkg-deb", "--contents", deb});
  std::vector<std::string> files;
  for (const auto& line : testsupport::SplitLines(listing.output)) {
    size_t at = line.find(" ./");
    if (line.empty() || line[0] == 'd' || at == std::string::npos) continue;
    files.push_back(line.substr(at + 2));
  }
  return files;
}

// dpkg with its lock waited for: a package tool running beside the test
// holds it for a while.
CommandResult Dpkg(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"dpkg"};
  argv.insert(argv.end(), args.begin(), args.end());
  CommandResult result;
  for (int attempt = 0; attempt < 60; ++attempt) {
    result = RunCommand(argv);
    if (result.exitCode != 2 || result.output.find("lock") == std::string::npos) break;
    testsupport::SleepMs(2000);
  }
  return result;
}

// "ii", "rc", ... or "" when dpkg does not know the package.
std::string PackageState() {
  CommandResult state = RunCommand({"dpkg-query", "-W", "-f=${db:Status-Abbrev}", kPackage});
  return state.exitCode == 0 ? state.output.substr(0, 2) : std::string();
}

// Takes the package off the machine again whatever the test found.
struct RemoveAtEnd {
  ~RemoveAtEnd() {
    if (armed && !PackageState().empty()) Dpkg({"--purge", kPackage});
  }
  bool armed = false;
};

void ExpectInstallsAndRemovesCleanly(const std::string& deb) {
  const std::vector<std::string> files = PackagedFiles(deb);
  std::set<std::string> folders;
  for (const auto& file : files)
    for (fs::path p = fs::path(file).parent_path(); p != "/"; p = p.parent_path())
      if (!platform::FolderExists(p.string())) folders.insert(p.string());

  RemoveAtEnd cleanup;
  cleanup.armed = true;
  CommandResult install = Dpkg({"--install", deb});
  ASSERT_EQ(install.exitCode, 0) << install.output;
  for (const auto& file : files) EXPECT_TRUE(platform::EntryExists(file)) << file;
  // man qvshield finds the page; the program and its service are usable.
  CommandResult page = RunCommand({"man", "-w", "qvshield"});
  EXPECT_EQ(page.output, "/usr/share/man/man1/qvshield.1.gz\n");
  CommandResult help = RunCommand({"/usr/bin/qvshield", "--help"});
  EXPECT_EQ(help.exitCode, 0) << help.output;
  if (ToolAvailable("systemd-analyze")) {
    CommandResult unit = RunCommand({"systemd-analyze", "verify", "--man=no", "/usr/share/systemd/user/qvshield.service"});
    EXPECT_EQ(unit.exitCode, 0) << unit.output;
  }

  CommandResult remove = Dpkg({"--remove", kPackage});
  ASSERT_EQ(remove.exitCode, 0) << remove.output;
  EXPECT_EQ(PackageState(), "") << "dpkg still holds the package";
  for (const auto& file : files) EXPECT_FALSE(platform::EntryExists(file)) << file;
  for (const auto& folder : folders) EXPECT_FALSE(platform::EntryExists(folder)) << folder;
}

TEST(DebianPackage, HoldsTheInstallPassesLintianAndInstallsAndRemovesCleanly) {
  for (const char* tool : {"dpkg-deb", "lintian"})
    ASSERT_TRUE(ToolAvailable(tool)) << tool << " is missing: scripts/install-deps installs it";
  TempDir output;
  CommandResult cpack =
      RunCommand({VAZERU_CPACK_COMMAND, "-G", "DEB", "--config", std::string(VAZERU_BUILD_DIR) + "/CPackConfig.cmake",
                  "-B", output.path()},
                 {}, 240000);
  ASSERT_EQ(cpack.exitCode, 0) << cpack.output;
  std::string deb;
  for (const auto& entry : fs::directory_iterator(output.path()))
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  ASSERT_FALSE(deb.empty()) << cpack.output;
  EXPECT_EQ(fs::path(deb).filename().string().rfind(std::string(kPackage) + "_" + VAZERU_VERSION + "_", 0), 0u) << deb;

  // Everything make install installs, under /usr.
  const std::vector<std::string> files = PackagedFiles(deb);
  const std::set<std::string> present(files.begin(), files.end());
  for (const auto& file : ExpectedInstalledFiles()) EXPECT_EQ(present.count("/usr/" + file), 1u) << file;

  CommandResult control = RunCommand({"dpkg-deb", "--field", deb, "Package", "Section", "Homepage", "Depends"});
  EXPECT_NE(control.output.find("Package: orvane-vazeru\n"), std::string::npos) << control.output;
  EXPECT_NE(control.output.find("Section: admin\n"), std::string::npos) << control.output;
  EXPECT_NE(control.output.find("Homepage: https://vazeru.orvane.example/\n"), std::string::npos) << control.output;
  // Computed from the libraries the programs link.
  for (const char* library : {"libc6", "libstdc++6", "libqt6widgets6", "libsystemd0"})
    EXPECT_NE(control.output.find(library), std::string::npos) << control.output;

  // lintian leaves a cache file in its temporary folder: give it the test's own.
  TempDir lintianTemp;
  CommandResult lint =
      RunCommand({"lintian", "--tag-display-limit", "0", deb}, {"TMPDIR=" + lintianTemp.path()}, 240000);
  EXPECT_EQ(lint.exitCode, 0) << lint.output;
  EXPECT_EQ(LinesStartingWith(lint.output, "E: "), std::vector<std::string>{}) << lint.output;
  for (const auto& warning : LinesStartingWith(lint.output, "W: ")) std::cout << "lintian " << warning << "\n";

  if (!IsRoot()) GTEST_SKIP() << "installing the package with dpkg needs root";
  if (!PackageState().empty()) GTEST_SKIP() << "orvane-vazeru is installed on this machine: it is left alone";
  for (const auto& file : files)
    if (platform::EntryExists(file)) GTEST_SKIP() << file << " exists on this machine: the package is not installed";
  ExpectInstallsAndRemovesCleanly(deb);
}

}  // namespace
}  // namespace vz::installtest
