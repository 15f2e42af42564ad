// The file helpers of the scheduled update, on real files.
#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "platform/FileSystem.h"
#include "update/UpdateFileCopy.h"

namespace vz::update {
namespace {

using testsupport::FolderNames;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(FileCopy, CopiesIntoAFolderOrOntoAPathAndFailsWithItsTwoMessages) {
  TempDir dir;
  std::string big(8192 * 3, 'a');  // whole blocks: the copy ends at the first short (empty) one
  big += "tail";
  WriteFile(dir.file("Proc1.pck"), big);
  std::filesystem::create_directory(dir.file("share"));

  CopyFileTo(dir.file("Proc1.pck"), dir.file("share"));
  EXPECT_EQ(big, ReadFile(dir.file("share/Proc1.pck")));
  WriteFile(dir.file("exact"), std::string(8192, 'b'));
  CopyFileTo(dir.file("exact"), dir.file("onto-a-path"));
  EXPECT_EQ(std::string(8192, 'b'), ReadFile(dir.file("onto-a-path")));
  CopyFileTo(dir.file("Proc1.pck"), dir.file("onto-a-path"));  // replaced
  EXPECT_EQ(big, ReadFile(dir.file("onto-a-path")));

  try {
    CopyFileTo(dir.file("missing"), dir.file("share"));
    ADD_FAILURE() << "a missing source was copied";
  } catch (const CopyError& e) {
    EXPECT_STREQ(kCannotOpenFile, e.what());
  }
  try {
    CopyFileTo(dir.file("Proc1.pck"), dir.file("no-such-folder/Proc1.pck"));
    ADD_FAILURE() << "a target in a missing folder was created";
  } catch (const CopyError& e) {
    EXPECT_STREQ(kCannotCreateFile, e.what());
  }
  // A folder as source cannot be read as a file.
  EXPECT_THROW(CopyFileTo(dir.file("share"), dir.file("x")), CopyError);
  EXPECT_EQ((std::vector<std::string>{"Proc1.pck"}), FolderNames(dir.file("share")));
}

TEST(FileCopy, FindsNamesWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir.file("MOSTCPROC.TXT"), "x");
  WriteFile(dir.file("mostcproc.TXT"), "y");
  EXPECT_EQ("MOSTCPROC.TXT", FindIgnoringCase(dir.path(), "MostCProc.txt").value_or(""));  // first in name order
  WriteFile(dir.file("MostCProc.txt"), "z");
  EXPECT_EQ("MostCProc.txt", FindIgnoringCase(dir.path(), "MostCProc.txt").value_or(""));  // the exact name first
  EXPECT_FALSE(FindIgnoringCase(dir.path(), "Proc1.pck").has_value());
  EXPECT_FALSE(FindIgnoringCase(dir.file("missing/"), "Proc1.pck").has_value());
  EXPECT_EQ(-1, FileSizeOf(dir.file("Proc1.pck")));
  EXPECT_EQ(1, FileSizeOf(dir.file("MostCProc.txt")));
}

}  // namespace
}  // namespace vz::update
