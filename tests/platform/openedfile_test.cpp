// The file layer: what it refuses to open, how a file being written takes its
// name, and metadata applied to the open file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"
#include "platform/OpenedFile.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::set<std::string> EntriesOf(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

FileError OpenError(const std::string& path, LinkPolicy links) {
  FileStatus status;
  auto file = OpenExistingFile(path, FileAccess::Read, links, status);
  EXPECT_EQ(file == nullptr, !status.ok()) << path;
  return status.error;
}

TEST(OpenedFile, OnlyRegularFilesAreOpenedAndLinksOnlyWhereAllowed) {
  TempDir dir;
  WriteFile(dir.file("plain"), "text");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.file("to-device").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("plain").c_str(), dir.file("to-plain").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("dangling").c_str()), 0);

  // A FIFO nobody writes to is refused at once instead of blocking for good.
  EXPECT_EQ(OpenError(dir.file("fifo"), LinkPolicy::Follow), FileError::NotRegularFile);
  EXPECT_EQ(OpenError("/dev/zero", LinkPolicy::Follow), FileError::NotRegularFile);
  EXPECT_EQ(OpenError(dir.file("to-device"), LinkPolicy::Follow), FileError::NotRegularFile);
  EXPECT_EQ(OpenError(dir.file("to-device"), LinkPolicy::Refuse), FileError::IsLink);
  EXPECT_EQ(OpenError(dir.path(), LinkPolicy::Follow), FileError::NotRegularFile);
  EXPECT_EQ(OpenError(dir.file("missing"), LinkPolicy::Follow), FileError::NotFound);
  EXPECT_EQ(OpenError(dir.file("dangling"), LinkPolicy::Follow), FileError::NotFound);
  EXPECT_EQ(OpenError(dir.file("to-plain"), LinkPolicy::Refuse), FileError::IsLink);

  FileStatus status;
  auto file = OpenExistingFile(dir.file("to-plain"), FileAccess::Read, LinkPolicy::Follow, status);
  ASSERT_TRUE(file) << status.text;
  char bytes[8] = {};
  EXPECT_EQ(file->Read(bytes, sizeof bytes), 4);
  EXPECT_EQ(std::string(bytes, 4), "text");
  EXPECT_EQ(file->Read(bytes, sizeof bytes), 0);
  EXPECT_EQ(file->Seek(-2, SeekFrom::End), 2);
  EXPECT_EQ(file->Read(bytes, 1), 1);
  EXPECT_EQ(bytes[0], 'x');
  EXPECT_EQ(file->Seek(-10, SeekFrom::Current), -1);  // refused, position kept
  EXPECT_EQ(file->Position(), 3);
  EXPECT_FALSE(file->Write("y", 1));  // opened to read
  EXPECT_EQ(ReadFile(dir.file("plain")), "text");

  // The whole-file reader and the metadata setters go the same way.
  EXPECT_FALSE(ReadWholeFile(dir.file("fifo")).has_value());
  EXPECT_FALSE(ReadWholeFile(dir.file("to-device")).has_value());
  EXPECT_FALSE(SetDosAttributes(dir.file("to-plain"), kAttrReadOnly));
  EXPECT_FALSE(SetFileDate(dir.file("to-plain"), 0x4B2A6000));
}

TEST(OpenedFile, WholeFileReadsAreBounded) {
  TempDir dir;
  // A 4 GB file that takes no room: refused before anything is read.
  int fd = ::open(dir.file("huge").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, std::int64_t{4} << 30), 0);
  ::close(fd);
  std::string contents;
  EXPECT_EQ(ReadWholeFile(dir.file("huge"), contents).error, FileError::TooLarge);
  EXPECT_TRUE(contents.empty());
  WriteFile(dir.file("small"), "0123456789");
  EXPECT_EQ(ReadWholeFile(dir.file("small"), contents, 9).error, FileError::TooLarge);
  EXPECT_TRUE(ReadWholeFile(dir.file("small"), contents, 10));
  EXPECT_EQ(contents, "0123456789");
}

TEST(FileBeingWritten, TakesTheNameOnlyWhenCommittedAndReplacesALinkThere) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("elsewhere"));
  WriteFile(dir.file("elsewhere/victim"), "keep me");
  ::chmod(dir.file("elsewhere/victim").c_str(), 0444);
  ASSERT_EQ(::symlink(dir.file("elsewhere/victim").c_str(), dir.file("target").c_str()), 0);

  FileStatus status;
  auto file = BeginFileWrite(dir.file("target"), status);
  ASSERT_TRUE(file) << status.text;
  EXPECT_EQ(file->Path(), dir.file("target"));
  // Written in pieces, read back before it is placed.
  ASSERT_TRUE(file->Write("new ", 4));
  ASSERT_TRUE(file->Write("contents", 8));
  char back[12] = {};
  EXPECT_EQ(file->ReadAt(0, back, sizeof back), 12);
  EXPECT_EQ(std::string(back, 12), "new contents");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("target")));  // nothing changed yet
  ASSERT_TRUE(file->SetDate(0x4B2A6000));
  ASSERT_TRUE(file->SetDosAttributes(kAttrReadOnly | kAttrHidden));
  ASSERT_TRUE(file->Commit());

  EXPECT_FALSE(std::filesystem::is_symlink(dir.file("target")));
  EXPECT_EQ(ReadFile(dir.file("target")), "new contents");
  EXPECT_EQ(FileDateOf(dir.file("target")), 0x4B2A6000);
  EXPECT_NE(DosAttributesOf(dir.file("target")) & kAttrReadOnly, 0u);
  // The link's target is untouched: contents, mode and attributes.
  EXPECT_EQ(ReadFile(dir.file("elsewhere/victim")), "keep me");
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("elsewhere/victim").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  char attribute[16];
  EXPECT_LT(::getxattr(dir.file("elsewhere/victim").c_str(), "user.DOSATTRIB", attribute, sizeof attribute), 0);
  EXPECT_EQ(EntriesOf(dir.path()), (std::set<std::string>{"elsewhere", "target"}));
}

TEST(FileBeingWritten, DiscardedOrDroppedLeavesTheFolderAsItWas) {
  TempDir dir;
  WriteFile(dir.file("state"), "old");
  FileStatus status;
  {
    auto file = BeginFileWrite(dir.file("state"), status);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write("half", 4));
  }  // dropped without Commit
  {
    auto file = BeginFileWrite(dir.file("state"), status);
    ASSERT_TRUE(file);
    file->Discard();
    EXPECT_FALSE(file->Write("late", 4));
    EXPECT_EQ(file->Commit().error, FileError::Failed);
  }
  EXPECT_EQ(ReadFile(dir.file("state")), "old");
  EXPECT_EQ(EntriesOf(dir.path()), std::set<std::string>{"state"});

  // A name no folder entry can hold fails at Commit, and nothing is left.
  auto file = BeginFileWrite(dir.file(std::string(300, 'n')), status);
  ASSERT_TRUE(file) << status.text;
  EXPECT_NE(file->Commit().text.find("File name too long"), std::string::npos);
  EXPECT_EQ(EntriesOf(dir.path()), std::set<std::string>{"state"});
  EXPECT_FALSE(BeginFileWrite(dir.file("no/such/folder/x"), status));
  EXPECT_EQ(status.error, FileError::NotFound);
}

// Runs `save` in a child process whose files may not grow past `limit` bytes,
// as on a full disk; its exit code (0 when `save` reported the failure).
int WithFileSizeLimit(rlim_t limit, const std::function<bool()>& save) {
  pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    struct rlimit rl {limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    ::_exit(save() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(FileBeingWritten, AWriteFailingAtAnyPointLeavesTheOldFile) {
  TempDir dir;
  const std::string old = "old contents\r\n";
  WriteFile(dir.file("state"), old);
  const std::string big(200000, 'x');
  for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{4095}, rlim_t{65536}, rlim_t{199999}}) {
    EXPECT_EQ(WithFileSizeLimit(limit, [&] { return WriteFileAtomic(dir.file("state"), big).ok(); }), 0) << limit;
    EXPECT_EQ(ReadFile(dir.file("state")), old) << limit;
    EXPECT_EQ(EntriesOf(dir.path()), std::set<std::string>{"state"}) << limit;
  }
  EXPECT_EQ(WithFileSizeLimit(200000, [&] { return WriteFileAtomic(dir.file("state"), big).ok(); }), 1);
  EXPECT_EQ(ReadFile(dir.file("state")), big);
}

TEST(FileBeingWritten, AtomicReplacementTakesNoPermissionsFromBehindALink) {
  TempDir dir;
  WriteFile(dir.file("secret"), "s");
  ::chmod(dir.file("secret").c_str(), 0604);
  ASSERT_EQ(::symlink(dir.file("secret").c_str(), dir.file("linked").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(dir.file("linked"), "mine"));
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("linked").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0644u & ~mask);
  EXPECT_EQ(ReadFile(dir.file("secret")), "s");
  ASSERT_EQ(::stat(dir.file("secret").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0604u);
}

TEST(OpenedFile, NothingOpenedHereIsInheritedByStartedPrograms) {
  TempDir dir;
  WriteFile(dir.file("plain"), "text");
  const std::vector<int> before = testsupport::InheritableDescriptors();
  FileStatus status;
  auto reading = OpenExistingFile(dir.file("plain"), FileAccess::ReadWrite, LinkPolicy::Refuse, status);
  auto created = CreateNewFile(dir.file("created"), status);
  auto writing = BeginFileWrite(dir.file("written"), status);
  ASSERT_TRUE(reading && created && writing);
  EXPECT_EQ(testsupport::InheritableDescriptors(), before);
  EXPECT_FALSE(CreateNewFile(dir.file("created"), status));  // never over something already there
}

}  // namespace
}  // namespace vz::platform
