// The atomic writer under fire: a process saving a hive, and one saving the
// exclusion list, is killed with SIGKILL at random points until 1000 saves of
// each were seen. After every kill the file is the old or a new version:
// complete, never torn, never empty. The files live on a memory file system
// where there is one: what a killed process leaves is what the kernel holds,
// flushed to the disk or not, and a save then costs microseconds, not the
// ~10 ms of a disk's flush.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/HiveText.h"
#include "platform/Registry.h"
#include "protection/ExclusionList.h"
#include "support/TestSupport.h"

namespace vz {
namespace {

using testsupport::TempDir;

constexpr std::size_t kSaves = 1000;

// How many versions the file shows, or what is wrong with it.
struct Progress {
  std::size_t count = 0;
  std::string fault;
};

// Software\Series holding n0..n<k-1>, each with the data "value <i>".
Progress HiveProgress(const std::string& path) {
  auto text = platform::ReadWholeFile(path);
  if (!text || text->empty()) return {0, "missing or empty"};
  platform::Hive hive;
  platform::HiveParseResult parsed = platform::ParseHiveText(*text, "HKEY_LOCAL_MACHINE", hive);
  if (parsed.damaged) return {0, "damaged at line " + std::to_string(parsed.firstBadLine)};
  const platform::HiveKey* series = hive.FindKey("Software\\Series");
  if (!series) return {0, "the key is gone"};
  for (std::size_t i = 0; i < series->values.size(); ++i) {
    const auto& value = series->values[i];
    const std::string number = std::to_string(i);
    if (value.name.empty() || value.name[0] != 'n' || value.name.substr(1) != number ||
        value.value.data != "value " + number)
      return {0, "value " + number + " is " + value.name};
  }
  return {series->values.size(), ""};
}

// Lines /opt/tools/entry0 .. entry<k-1>, each ended by CR LF.
Progress ExclusionProgress(const std::string& path) {
  auto text = platform::ReadWholeFile(path);
  if (!text || text->empty()) return {0, "missing or empty"};
  if (text->size() < 2 || text->compare(text->size() - 2, 2, "\r\n") != 0) return {0, "torn: no CR LF at the end"};
  std::vector<std::string> lines = testsupport::SplitLines(*text);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] != "/opt/tools/entry" + std::to_string(i)) return {0, "line " + std::to_string(i) + " is " + lines[i]};
  return {lines.size(), ""};
}

// Starts the writer again and again and kills it after a random time, until
// kSaves saves were seen; the file is checked after every kill.
void KillAtRandomPoints(const std::vector<std::string>& writer, const std::function<Progress()>& progress,
                        const std::string& outputFile) {
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  Progress first = progress();
  ASSERT_TRUE(first.fault.empty()) << first.fault;
  std::size_t seen = first.count;
  int runs = 0;
  for (; seen - first.count < kSaves && runs < 2000; ++runs) {
    testsupport::ProgramRun run(writer, {}, outputFile);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    run.Signal(SIGKILL);
    int exitCode = 0;
    ASSERT_TRUE(run.WaitForExit(10000, &exitCode));
    ASSERT_EQ(exitCode, -SIGKILL) << "the writer stopped by itself: " << run.Output();
    Progress now = progress();
    ASSERT_TRUE(now.fault.empty()) << "seed " << seed << ", run " << runs << ": " << now.fault;
    ASSERT_GE(now.count, seen) << "seed " << seed << ", run " << runs << ": older than before";
    seen = now.count;
  }
  EXPECT_GE(seen - first.count, kSaves) << "in " << runs << " runs";
}

TEST(AtomicSaveCrash, AHiveIsAlwaysTheOldOrTheNewVersion) {
  TempDir dir(testsupport::MemoryFolder());
  platform::RegistryLocations locations;
  locations.machineHive = dir.file("machine.reg");
  locations.userHive = dir.file("user.reg");
  locations.machineAutostart = dir.file("autostart-machine");
  locations.userAutostart = dir.file("autostart-user");
  locations.seedMachineFolders = false;
  {
    auto store = platform::OpenRegistryStore(locations);
    platform::RegistryKey key;
    ASSERT_TRUE(store->OpenKey(platform::RegistryRoot::LocalMachine, "Software\\Series", platform::RegAccess::ReadWrite,
                               platform::RegDisposition::CreateIfMissing, key));
    ASSERT_TRUE(key.WriteString("n0", "value 0"));
  }
  KillAtRandomPoints({testsupport::TestHelperPath("vz-test-hivewriter"), dir.path(), "append", "Software\\Series"},
                     [&] { return HiveProgress(locations.machineHive); }, dir.file("output.txt"));
}

TEST(AtomicSaveCrash, TheExclusionListIsAlwaysTheOldOrTheNewVersion) {
  TempDir dir(testsupport::MemoryFolder());
  const std::string file = dir.file(protection::kExclusionFileName);
  protection::ExclusionList list{platform::LinuxPathConventions()};
  ASSERT_TRUE(list.AddExclusion("/opt/tools/entry0", file));
  KillAtRandomPoints({testsupport::TestHelperPath("vz-test-exclusionwriter"), file},
                     [&] { return ExclusionProgress(file); }, dir.file("output.txt"));
}

}  // namespace
}  // namespace vz
