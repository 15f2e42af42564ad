#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testsupport::TempDir;

TEST(FileSystem, AtomicWriteReplacesWholeFileAndKeepsPermissions) {
  TempDir dir;
  std::string path = dir.file("state.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "first\r\n"));
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteFileAtomic(path, "second\r\nthird\r\n"));
  EXPECT_EQ(*ReadWholeFile(path), "second\r\nthird\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // No temporary file is left beside it.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(FileSystem, AtomicWriteIntoMissingFolderFailsAndSaysWhy) {
  TempDir dir;
  FileStatus status = WriteFileAtomic(dir.file("no/such/folder/x.txt"), "data");
  EXPECT_EQ(status.error, FileError::NotFound);
  EXPECT_NE(status.text.find(dir.file("no/such/folder")), std::string::npos) << status.text;
}

TEST(FileSystem, PathPartsUseTheSeparator) {
  EXPECT_EQ(FolderPart("/opt/tools/scan"), "/opt/tools/");
  EXPECT_EQ(NamePart("/opt/tools/scan"), "scan");
  EXPECT_EQ(FolderPart("scan"), "");
  EXPECT_EQ(NamePart("/opt/tools/"), "");
  EXPECT_EQ(IncludeTrailingSeparator("/opt"), "/opt/");
  EXPECT_EQ(IncludeTrailingSeparator("/opt/"), "/opt/");
  EXPECT_EQ(ExcludeTrailingSeparator("/opt/"), "/opt");
  EXPECT_EQ(ExcludeTrailingSeparator("/opt"), "/opt");
}

TEST(FileSystem, ExistenceAndDeletion) {
  TempDir dir;
  std::string path = dir.file("a");
  EXPECT_FALSE(FileExists(path));
  testsupport::WriteFile(path, "x");
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(FolderExists(dir.path()));
  EXPECT_EQ(FileSize(path).value_or(-1), 1);
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path));
}

}  // namespace
}  // namespace vz::platform
