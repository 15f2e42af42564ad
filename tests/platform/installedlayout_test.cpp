#include <gtest/gtest.h>

#include "platform/InstalledLayout.h"

namespace vz::platform {
namespace {

TEST(InstalledLayout, PackagedDataLiesUnderTheShareFolderOfTheBinFolder) {
  EXPECT_EQ(PackagedDataFolderBeside("/usr/bin/qvshield"), "/usr/share/orvane-vazeru/");
  EXPECT_EQ(PackagedDataFolderBeside("/tmp/stage/usr/local/bin/qvshield"), "/tmp/stage/usr/local/share/orvane-vazeru/");
  EXPECT_EQ(PackagedDataFolderBeside("/bin/qvshield"), "/share/orvane-vazeru/");
  // A development build or any other folder has no packaged data.
  EXPECT_EQ(PackagedDataFolderBeside("/work/build/bin-x/qvshield"), "");
  EXPECT_EQ(PackagedDataFolderBeside("/opt/vazeru/qvshield"), "");
  EXPECT_EQ(PackagedDataFolderBeside("qvshield"), "");
  EXPECT_EQ(PackagedDataFolderBeside(""), "");
}

TEST(InstalledLayout, PerUserFolderFollowsTheXdgRules) {
  EXPECT_EQ(PerUserDataFolder("/home/ann/data", "/home/ann"), "/home/ann/data/orvane-vazeru/");
  EXPECT_EQ(PerUserDataFolder("/home/ann/data/", "/home/ann"), "/home/ann/data/orvane-vazeru/");
  EXPECT_EQ(PerUserDataFolder("", "/home/ann"), "/home/ann/.local/share/orvane-vazeru/");
  // A relative XDG_DATA_HOME is ignored; a relative or missing home gives nothing.
  EXPECT_EQ(PerUserDataFolder("data", "/home/ann/"), "/home/ann/.local/share/orvane-vazeru/");
  EXPECT_EQ(PerUserDataFolder("data", "ann"), "");
  EXPECT_EQ(PerUserDataFolder("", ""), "");
}

TEST(InstalledLayout, AReplacedProgramIsStartedAgainUnderItsName) {
  EXPECT_EQ(ProgramPathFromLink("/usr/bin/qvshield (deleted)", false), "/usr/bin/qvshield");
  EXPECT_EQ(ProgramPathFromLink("/usr/bin/qvshield", true), "/usr/bin/qvshield");
  // A file really named so stays as it is.
  EXPECT_EQ(ProgramPathFromLink("/tmp/x (deleted)", true), "/tmp/x (deleted)");
  EXPECT_EQ(ProgramPathFromLink(" (deleted)", false), " (deleted)");
}

}  // namespace
}  // namespace vz::platform
