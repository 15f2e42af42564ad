// The build installed into a temporary prefix (DESTDIR) runs from there:
// the installed shield fills a per-user folder from the packaged data and
// writes nothing into the installed tree; the files of the desktop
// integration pass the validators of the desktop.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <regex>

#include "install/InstallSupport.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/linux/SingleInstanceNames.h"
#include "support/TestSupport.h"

namespace vz::installtest {
namespace {

using testsupport::TempDir;

constexpr int kStartTimeoutMs = 20000;

class InstalledTree : public ::testing::Test {
 protected:
  void SetUp() override {
    instanceName_ = "vazeru-install-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    CommandResult install = InstallBuild(stage.path(), "/usr");
    ASSERT_EQ(install.exitCode, 0) << install.output;
    prefix_ = stage.path() + "usr/";
  }
  void TearDown() override {
    platform::RemoveInstanceRegion(instanceName_);
    // A tree made read-only by permissions is given back for removal.
    RunCommand({"chmod", "-R", "u+w", stage.path()});
  }

  // The installed shield in the terminal with a fresh home, the installed
  // tree read-only while it runs; ends it once its data is loaded and returns
  // its output.
  std::string RunInstalledShield() {
    std::vector<std::string> settings{"HOME=" + home.path(), "XDG_DATA_HOME=", "XDG_CONFIG_HOME=",
                                      "VAZERU_INSTANCE_NAME=" + instanceName_,
                                      "VAZERU_REGISTRY_DIR=" + home.file("registry"),
                                      "VAZERU_AUTOSTART_MACHINE_DIR=" + home.file("autostart")};
    std::vector<std::string> argv{"/usr/bin/env"};
    argv.insert(argv.end(), settings.begin(), settings.end());
    // As root, permissions stop no write: the tree is mounted read-only in a
    // mount namespace of the shield's own. Elsewhere its permissions do it.
    if (IsRoot()) {
      const std::string tree = stage.path();
      argv.insert(argv.end(), {"unshare", "--mount", "sh", "-c",
                               "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && exec \"$@\"", tree});
    } else {
      EXPECT_EQ(RunCommand({"chmod", "-R", "a-w", stage.path()}).exitCode, 0);
    }
    argv.insert(argv.end(), {prefix_ + "bin/qvshield", "--console", "--quiet", "--no-journal"});
    testsupport::ProgramRun shield(argv, {}, home.file("output.txt"));
    EXPECT_TRUE(shield.WaitForOutput(" Known\n", kStartTimeoutMs)) << shield.Output();
    shield.Signal(SIGTERM);
    int code = -1;
    EXPECT_TRUE(shield.WaitForExit(kStartTimeoutMs, &code)) << shield.Output();
    EXPECT_EQ(code, 0) << shield.Output();
    if (!IsRoot()) RunCommand({"chmod", "-R", "u+w", stage.path()});
    return shield.Output();
  }

  TempDir stage, home;
  std::string prefix_;
  std::string instanceName_;
};

// "Known Spyware : N of M Known" with the two counts.
std::pair<int, int> KnownCounts(const std::string& output) {
  std::smatch match;
  std::regex line("Known Spyware : ([0-9]+) of ([0-9]+) Known");
  if (!std::regex_search(output, match, line)) return {-1, -1};
  return {std::stoi(match[1]), std::stoi(match[2])};
}

TEST_F(InstalledTree, HoldsTheProgramsDataMenuEntryIconsPagesAndServiceAndNoTestProgram) {
  for (const auto& file : ExpectedInstalledFiles()) EXPECT_TRUE(platform::FileExists(prefix_ + file)) << file;
  // bin holds the programs of build/bin and nothing else (no test or benchmark program).
  std::vector<std::string> installed;
  for (const auto& entry : std::filesystem::directory_iterator(prefix_ + "bin"))
    installed.push_back(entry.path().filename().string());
  std::sort(installed.begin(), installed.end());
  EXPECT_EQ(installed, BuiltPrograms());
  EXPECT_NE(std::find(installed.begin(), installed.end(), "qvshield"), installed.end());
  EXPECT_NE(std::find(installed.begin(), installed.end(), "vazeru-pack"), installed.end());

  // The service runs the installed program by its path under the prefix
  // (not the staging folder), in the terminal, with the alert action of its settings.
  std::string unit = testsupport::ReadFile(prefix_ + "share/systemd/user/qvshield.service");
  EXPECT_NE(unit.find("\nExecStart=/usr/bin/qvshield --console --quiet --on-alert=${VAZERU_ON_ALERT}"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("\nEnvironmentFile=-%E/orvane-vazeru/qvshield.env\n"), std::string::npos) << unit;

  // Every installed program answers --help.
  for (const auto& program : BuiltPrograms()) {
    CommandResult help = RunCommand({prefix_ + "bin/" + program, "--help"});
    EXPECT_EQ(help.exitCode, 0) << program << ": " << help.output;
    EXPECT_NE(help.output.find("usage: " + program), std::string::npos) << program << ": " << help.output;
  }
}

TEST_F(InstalledTree, TheShieldFillsItsOwnFolderKeepsUpdatesAndNeverWritesTheTree) {
  const auto before = SnapshotTree(stage.path());
  const std::string folder = home.path() + ".local/share/orvane-vazeru/";

  std::string first = RunInstalledShield();
  auto [spyware, known] = KnownCounts(first);
  EXPECT_GT(spyware, 10) << first;
  EXPECT_GT(known, spyware) << first;
  EXPECT_EQ(SnapshotTree(stage.path()), before);
  for (const char* data : {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "Procupd.txt", "MostCProc.txt"}) {
    EXPECT_EQ(testsupport::ReadFile(folder + data), testsupport::ReadFile(prefix_ + "share/orvane-vazeru/" + data))
        << data;
    EXPECT_EQ(platform::FileDateOf(folder + data), platform::FileDateOf(prefix_ + "share/orvane-vazeru/" + data));
  }
  std::string log = testsupport::ReadFile(folder + "Vazeru.log");
  EXPECT_NE(log.find("Packaged data file taken into use : Proc2.pck"), std::string::npos) << log;
  EXPECT_NE(log.find("Known Spyware : "), std::string::npos) << log;

  // A downloaded update newer than the package is kept; a file older than
  // the package gives way to it.
  testsupport::PackArchive(folder + "Proc2.pck", "Proclist.txt", "X\tUpdated Spy\tupdated-spy\tFrom an update\r\n");
  ASSERT_TRUE(platform::SetFileDate(folder + "Proc2.pck", platform::DosDateTimeFromUnix(::time(nullptr) + 3600)));
  const std::string update = testsupport::ReadFile(folder + "Proc2.pck");
  testsupport::WriteFile(folder + "Proc1.pck", "an old, broken list");
  ASSERT_TRUE(platform::SetFileDate(folder + "Proc1.pck", platform::PackDosDateTime(2001, 1, 1, 0, 0, 0)));

  std::string second = RunInstalledShield();
  // The one-entry spyware list of the update replaced the packaged one: both
  // counts drop by as many entries as the packaged list had beyond one.
  auto [updatedSpyware, updatedKnown] = KnownCounts(second);
  EXPECT_GE(updatedSpyware, 1) << second;
  EXPECT_LT(updatedSpyware, spyware) << second;
  EXPECT_EQ(spyware - updatedSpyware, known - updatedKnown) << second;
  EXPECT_EQ(testsupport::ReadFile(folder + "Proc2.pck"), update);
  EXPECT_EQ(testsupport::ReadFile(folder + "Proc1.pck"), testsupport::ReadFile(prefix_ + "share/orvane-vazeru/Proc1.pck"));
  log = testsupport::ReadFile(folder + "Vazeru.log");
  EXPECT_NE(log.find("Newer packaged data file replaces the older one : Proc1.pck"), std::string::npos) << log;
  EXPECT_EQ(log.find("Proc2.pck\r\n"), std::string::npos) << log;
  EXPECT_EQ(SnapshotTree(stage.path()), before);
}

TEST(DesktopIntegration, MenuEntryMetadataAndManualPagesPassTheirValidators) {
  for (const char* tool : {"desktop-file-validate", "appstreamcli", "man"})
    ASSERT_TRUE(ToolAvailable(tool)) << tool << " is missing: scripts/install-deps installs it";
  const std::string id = VAZERU_APP_ID;
  CommandResult desktop = RunCommand({"desktop-file-validate", testsupport::SourcePath("packaging/" + id + ".desktop")});
  EXPECT_EQ(desktop.exitCode, 0) << desktop.output;
  EXPECT_EQ(desktop.output, "");
  CommandResult metainfo =
      RunCommand({"appstreamcli", "validate", "--no-net", testsupport::SourcePath("packaging/" + id + ".metainfo.xml")});
  EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output;
  EXPECT_EQ(metainfo.output.find("W: "), std::string::npos) << metainfo.output;
  EXPECT_EQ(metainfo.output.find("E: "), std::string::npos) << metainfo.output;
  // Software centres find every program by the metadata.
  std::string metadata = testsupport::ReadFile(testsupport::SourcePath("packaging/" + id + ".metainfo.xml"));
  for (const auto& program : BuiltPrograms())
    EXPECT_NE(metadata.find("<binary>" + program + "</binary>"), std::string::npos) << program;

  // Every page, those of programs still to come included, renders without a
  // warning from the formatter.
  size_t pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testsupport::SourcePath("packaging/man"))) {
    ++pages;
    CommandResult page = RunCommand(
        {"sh", "-c", "man --warnings -E UTF-8 -l -Tutf8 \"$0\" 2>&1 >/dev/null", entry.path().string()},
        {"MANWIDTH=80", "LC_ALL=C.UTF-8"});
    EXPECT_EQ(page.exitCode, 0) << entry.path() << ": " << page.output;
    EXPECT_EQ(page.output, "") << entry.path();
  }
  EXPECT_GE(pages, 4u);
}

}  // namespace
}  // namespace vz::installtest
