#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/PackagedDataSeed.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace vz::app {
namespace {

using log::ShieldLog;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const platform::DosDateTime kPackageDate = platform::PackDosDateTime(2024, 5, 1, 12, 0, 0);
const platform::DosDateTime kEarlier = platform::PackDosDateTime(2024, 3, 1, 12, 0, 0);
const platform::DosDateTime kLater = platform::PackDosDateTime(2024, 6, 1, 12, 0, 0);

// An entry "hh:mm:ss  message..." whose message starts with the text.
bool Logged(const ShieldLog& log, const std::string& text) {
  for (const auto& entry : log.Entries())
    if (entry.find("  " + text) != std::string::npos) return true;
  return false;
}

class PackagedDataSeed : public ::testing::Test {
 protected:
  void Package(const std::string& name, const std::string& text) {
    WriteFile(packaged.file(name), text);
    ASSERT_TRUE(platform::SetFileDate(packaged.file(name), kPackageDate));
  }
  void Own(const std::string& name, const std::string& text, platform::DosDateTime date) {
    WriteFile(user.file(name), text);
    ASSERT_TRUE(platform::SetFileDate(user.file(name), date));
  }
  TempDir packaged, user;
  ShieldLog log;
};

TEST_F(PackagedDataSeed, AFirstStartCopiesEveryPackagedFileWithItsDate) {
  for (const char* name : {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "Procupd.txt", "MostCProc.txt"})
    Package(name, std::string("packaged ") + name);
  WriteFile(packaged.file("notes.txt"), "not data");

  SeedFromPackagedData(packaged.path(), user.path(), log);

  for (const char* name : {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "Procupd.txt", "MostCProc.txt"}) {
    EXPECT_EQ(ReadFile(user.file(name)), std::string("packaged ") + name);
    EXPECT_EQ(platform::FileDateOf(user.file(name)), kPackageDate) << name;
    EXPECT_TRUE(Logged(log, std::string("Packaged data file taken into use : ") + name)) << name;
  }
  EXPECT_FALSE(platform::EntryExists(user.file("notes.txt")));
  EXPECT_EQ(log.Entries().size(), 6u);

  // The next start finds everything in place: nothing is written or said.
  struct stat before {};
  ASSERT_EQ(::stat(user.file("Proc2.pck").c_str(), &before), 0);
  SeedFromPackagedData(packaged.path(), user.path(), log);
  struct stat after {};
  ASSERT_EQ(::stat(user.file("Proc2.pck").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(log.Entries().size(), 6u);
}

TEST_F(PackagedDataSeed, AnUpdateIsKeptAndAnOlderFileGivesWayToANewerPackage) {
  Package("Proc1.pck", "packaged known");
  Package("Proc2.pck", "packaged spyware");
  Package("Procupd.txt", "packaged updates");
  Own("Proc1.pck", "downloaded known", kLater);
  Own("Proc2.pck", "older spyware", kEarlier);
  Own("Procupd.txt", "same date, own text", kPackageDate);

  SeedFromPackagedData(packaged.path(), user.path(), log);

  EXPECT_EQ(ReadFile(user.file("Proc1.pck")), "downloaded known");
  EXPECT_EQ(platform::FileDateOf(user.file("Proc1.pck")), kLater);
  EXPECT_EQ(ReadFile(user.file("Proc2.pck")), "packaged spyware");
  EXPECT_EQ(platform::FileDateOf(user.file("Proc2.pck")), kPackageDate);
  EXPECT_EQ(ReadFile(user.file("Procupd.txt")), "same date, own text");
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_TRUE(Logged(log, "Newer packaged data file replaces the older one : Proc2.pck"));
}

TEST_F(PackagedDataSeed, AFileThatCannotBeReplacedIsReportedAndTheOthersStillArrive) {
  Package("Proc1.pck", "packaged known");
  Package("Proc2.pck", "packaged spyware");
  // Something that is not a file holds the first name.
  ASSERT_EQ(::mkdir(user.file("Proc1.pck").c_str(), 0700), 0);

  SeedFromPackagedData(packaged.path(), user.path(), log);

  EXPECT_TRUE(platform::FolderExists(user.file("Proc1.pck")));
  EXPECT_TRUE(Logged(log, "Could not take the packaged data file into use : " + user.file("Proc1.pck")))
      << ::testing::PrintToString(log.Entries());
  EXPECT_EQ(ReadFile(user.file("Proc2.pck")), "packaged spyware");

  // A shield whose data lies beside it has nothing packaged: nothing happens.
  ShieldLog quiet;
  SeedFromPackagedData("", user.path(), quiet);
  EXPECT_TRUE(quiet.Entries().empty());
}

}  // namespace
}  // namespace vz::app
