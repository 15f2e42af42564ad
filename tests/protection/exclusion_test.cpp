// The exclusion file as the program finds it: one it cannot read is never
// replaced by a save that would hold only the new entry.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "protection/ExclusionList.h"
#include "support/TestSupport.h"

namespace vz::protection {
namespace {

using testsupport::TempDir;

TEST(ExclusionList, AFileThatCannotBeReadIsNeverOverwritten) {
  TempDir dir;
  const std::string file = dir.file(kExclusionFileName);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  ExclusionList list{platform::LinuxPathConventions()};
  bool added = true;
  std::string error;
  EXPECT_TRUE(testsupport::ReturnsPromptly(
      [&] {
        list.Load(file);
        added = list.AddExclusion("/opt/tools/new.exe", file, &error);
      },
      file));
  EXPECT_FALSE(added);
  EXPECT_NE(error.find(file), std::string::npos) << error;
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // The entry still counts for the rest of the run.
  EXPECT_TRUE(list.IsExcluded("/opt/tools", "new.exe"));

  // A missing file is an empty list, and the first addition creates it.
  ExclusionList fresh{platform::LinuxPathConventions()};
  fresh.Load(dir.file("none.QVA"));
  EXPECT_TRUE(fresh.AddExclusion("/opt/a.exe", dir.file("none.QVA")));
  EXPECT_EQ(testsupport::ReadFile(dir.file("none.QVA")), "/opt/a.exe\r\n");
}

}  // namespace
}  // namespace vz::protection
