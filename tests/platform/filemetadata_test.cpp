#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <ctime>

#include "platform/FileMetadata.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testsupport::TempDir;
using testsupport::WriteFile;

TEST(FileMetadata, PackedDateTimeMatchesLocalTimeInTwoSecondSteps) {
  const DosDateTime packed = PackDosDateTime(2025, 4, 11, 13, 33, 3);
  EXPECT_EQ(packed, 0x5A8B6C21u);  // the odd second is dropped
  std::int64_t unix = UnixFromDosDateTime(packed);
  std::time_t t = static_cast<std::time_t>(unix);
  std::tm local {};
  ASSERT_NE(::localtime_r(&t, &local), nullptr);
  EXPECT_EQ(local.tm_year + 1900, 2025);
  EXPECT_EQ(local.tm_mon + 1, 4);
  EXPECT_EQ(local.tm_mday, 11);
  EXPECT_EQ(local.tm_hour, 13);
  EXPECT_EQ(local.tm_min, 33);
  EXPECT_EQ(local.tm_sec, 2);
  EXPECT_EQ(DosDateTimeFromUnix(unix), packed);
  EXPECT_EQ(DosDateTimeFromUnix(unix + 1), packed);
  // Outside 1980..2107 the packed form is clamped to its ends.
  EXPECT_EQ(DosDateTimeFromUnix(0) >> 16, PackDosDateTime(1980, 1, 1, 0, 0, 0) >> 16);
}

TEST(FileMetadata, FileDateIsSetAndReadBack) {
  TempDir dir;
  WriteFile(dir.file("f"), "x");
  ASSERT_TRUE(SetFileDate(dir.file("f"), 0x4B2A6000));
  EXPECT_EQ(FileDateOf(dir.file("f")), 0x4B2A6000);
  EXPECT_EQ(FileDateOf(dir.file("missing")), -1);
  EXPECT_FALSE(SetFileDate(dir.file("missing"), 0x4B2A6000));
}

TEST(FileMetadata, ReadOnlyIsTheWritePermission) {
  TempDir dir;
  WriteFile(dir.file("f"), "x");
  ::chmod(dir.file("f").c_str(), 0664);
  ASSERT_TRUE(SetDosAttributes(dir.file("f"), kAttrReadOnly | kAttrArchive));
  struct stat st {};
  ::stat(dir.file("f").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_NE(DosAttributesOf(dir.file("f")) & kAttrReadOnly, 0u);
  ASSERT_TRUE(SetDosAttributes(dir.file("f"), kAttrArchive));
  ::stat(dir.file("f").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(DosAttributesOf(dir.file("f")) & kAttrReadOnly, 0u);
  EXPECT_FALSE(SetDosAttributes(dir.file("missing"), kAttrArchive));
  EXPECT_EQ(DosAttributesOf(dir.file("missing")), 0u);
}

TEST(FileMetadata, HiddenSystemArchiveLiveInTheExtendedAttribute) {
  TempDir dir;
  WriteFile(dir.file("f"), "x");
  if (::setxattr(dir.file("f").c_str(), "user.probe", "1", 1, 0) != 0) GTEST_SKIP() << "no user attributes here";
  ASSERT_TRUE(SetDosAttributes(dir.file("f"), kAttrHidden | kAttrSystem | kAttrReadOnly));
  EXPECT_EQ(DosAttributesOf(dir.file("f")), kAttrHidden | kAttrSystem | kAttrReadOnly);
  char text[16] = {};
  EXPECT_GT(::getxattr(dir.file("f").c_str(), "user.DOSATTRIB", text, sizeof text - 1), 0);
  EXPECT_STREQ(text, "0x6");
  // Clearing the bits also works on the read-only file.
  ASSERT_TRUE(SetDosAttributes(dir.file("f"), kAttrArchive));
  EXPECT_EQ(DosAttributesOf(dir.file("f")), kAttrArchive);
}

}  // namespace
}  // namespace vz::platform
