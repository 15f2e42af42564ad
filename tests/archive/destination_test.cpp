// Extraction into a folder that may hold links at the members' names, and
// without moving the process's working folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveErrors.h"
#include "archive/ArchiveExtraction.h"
#include "platform/FileMetadata.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"

namespace vz::archive {
namespace {

using testing::PackArchive;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using ui::DialogAnswer;

namespace fs = std::filesystem;

std::string WorkingFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

TEST(ExtractionDestination, ALinkAtAMemberNameIsReplacedAndWhatItLedToIsUntouched) {
  TempDir dir;
  fs::create_directory(dir.file("out"));
  fs::create_directory(dir.file("outside"));
  WriteFile(dir.file("outside/victim.txt"), "victim");
  ::chmod(dir.file("outside/victim.txt").c_str(), 0444);
  const std::int64_t victimDate = platform::FileDateOf(dir.file("outside/victim.txt"));
  ASSERT_EQ(::symlink(dir.file("outside/victim.txt").c_str(), dir.file("out/a.txt").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("outside/nowhere.txt").c_str(), dir.file("out/b.txt").c_str()), 0);
  PackArchive(dir.file("a.pck"), {{"a.txt", "new a", 0x4B2A6000, platform::kAttrReadOnly | platform::kAttrHidden},
                                  {"b.txt", "new b"},
                                  {"c.txt", "new c"}});
  ui::scripted::ScriptedDialogs dialogs;
  dialogs.answers = {DialogAnswer::Yes, DialogAnswer::Yes};
  ArchiveExtraction resource(dialogs);
  ExtractionSummary summary = resource.DecompressFromArchive(dir.file("a.pck"), dir.file("out"), "");

  // Both links counted as existing files; the one that leads nowhere no
  // longer ends the whole archive.
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(summary.filesExtracted, 3);
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) EXPECT_FALSE(fs::is_symlink(dir.file("out/") + name)) << name;
  EXPECT_EQ(ReadFile(dir.file("out/a.txt")), "new a");
  EXPECT_EQ(ReadFile(dir.file("out/b.txt")), "new b");
  EXPECT_EQ(platform::FileDateOf(dir.file("out/a.txt")), 0x4B2A6000);
  EXPECT_NE(platform::DosAttributesOf(dir.file("out/a.txt")) & platform::kAttrReadOnly, 0u);
  // What the links led to: contents, mode, date and attributes as they were,
  // and nothing made where the dangling one pointed.
  EXPECT_EQ(ReadFile(dir.file("outside/victim.txt")), "victim");
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("outside/victim.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(platform::FileDateOf(dir.file("outside/victim.txt")), victimDate);
  char attribute[16];
  EXPECT_LT(::getxattr(dir.file("outside/victim.txt").c_str(), "user.DOSATTRIB", attribute, sizeof attribute), 0);
  EXPECT_FALSE(fs::exists(dir.file("outside/nowhere.txt")));
  EXPECT_EQ(resource.PlacedFiles(),
            (std::vector<std::string>{dir.file("out/a.txt"), dir.file("out/b.txt"), dir.file("out/c.txt")}));
}

TEST(ExtractionDestination, AFullDiskMidwayLeavesTheOldFileAndNoPart) {
  TempDir dir;
  WriteFile(dir.file("list.txt"), "old list");
  PackArchive(dir.file("a.pck"), {{"list.txt", std::string(3 * 409600 + 7, 'L')}});
  for (rlim_t limit : {rlim_t{0}, rlim_t{409600}, rlim_t{1000000}}) {
    pid_t child = ::fork();
    if (child == 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG, as on a full disk
      struct rlimit rl {limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &rl);
      ui::scripted::ScriptedDialogs dialogs;
      dialogs.answers = {DialogAnswer::Yes};
      ArchiveExtraction resource(dialogs);
      try {
        resource.DecompressFromArchive(dir.file("a.pck"), dir.path(), "");
      } catch (const InOutError&) {
        ::_exit(resource.PlacedFiles().empty() ? 0 : 2);
      }
      ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << limit;
    EXPECT_EQ(ReadFile(dir.file("list.txt")), "old list") << limit;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.pck", "list.txt"})) << limit;
  }
}

TEST(ExtractionDestination, TheWorkingFolderStaysWhereItWas) {
  TempDir dir;
  fs::create_directory(dir.file("archives"));
  fs::create_directory(dir.file("work"));
  fs::create_directory(dir.file("work/out"));
  PackArchive(dir.file("archives/a.pck"), {{"list.txt", "entries"}});
  const std::string before = WorkingFolder();
  ASSERT_EQ(::chdir(dir.file("work").c_str()), 0);
  const std::string work = WorkingFolder();

  ui::scripted::ScriptedDialogs dialogs;
  ArchiveExtraction resource(dialogs);
  // A relative destination means the folder it names when the call is made.
  resource.DecompressFromArchive(dir.file("archives/a.pck"), "out", "");
  const std::string after = WorkingFolder();
  // ...and so does every relative path afterwards.
  dialogs.answers = {DialogAnswer::No};
  resource.DecompressFromArchive("../archives/a.pck", "out/", "");
  const bool secondPrompted = dialogs.WasShown("list.txt exists");
  ASSERT_EQ(::chdir(before.c_str()), 0);

  EXPECT_EQ(after, work);
  EXPECT_EQ(ReadFile(dir.file("work/out/list.txt")), "entries");
  EXPECT_TRUE(secondPrompted);
  EXPECT_FALSE(fs::exists(dir.file("archives/out")));
}

}  // namespace
}  // namespace vz::archive
