// vazeru-pack as a program: real files in, real files out, exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "ArchiveTestSupport.h"
#include "support/TestSupport.h"

namespace vz::archive {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs vazeru-pack with stdin from /dev/null (no terminal to ask), after the
// shell commands of `shellSetUp`.
ToolRun Pack(const TempDir& dir, const std::string& args, const std::string& shellSetUp = "") {
  std::string command = shellSetUp + testsupport::ProgramPath("vazeru-pack") + " " + args + " </dev/null >" +
                        dir.file("stdout") + " 2>" + dir.file("stderr");
  int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir.file("stdout")), ReadFile(dir.file("stderr"))};
}

TEST(PackTool, CreateListTestExtractRealFiles) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("in"));
  std::filesystem::create_directory(dir.file("out"));
  std::string text;
  for (int i = 0; i < 60000; ++i) text += "entry " + std::to_string(i % 977) + "\tsome.exe\r\n";
  WriteFile(dir.file("in/Proclist.txt"), text);
  WriteFile(dir.file("in/empty.txt"), "");
  std::string in = dir.file("in/");
  ToolRun create = Pack(dir, "create " + dir.file("p.pck") + " " + in + "Proclist.txt " + in + "empty.txt");
  ASSERT_EQ(create.status, 0) << create.err;

  ToolRun list = Pack(dir, "list " + dir.file("p.pck"));
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("Proclist.txt"), std::string::npos);
  EXPECT_NE(list.out.find(std::to_string(text.size())), std::string::npos);
  EXPECT_NE(list.out.find("empty.txt"), std::string::npos);

  ToolRun test = Pack(dir, "test " + dir.file("p.pck"));
  EXPECT_EQ(test.status, 0) << test.err;
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));

  ToolRun extract = Pack(dir, "extract " + dir.file("p.pck") + " " + dir.file("out"));
  EXPECT_EQ(extract.status, 0) << extract.err;
  EXPECT_EQ(ReadFile(dir.file("out/Proclist.txt")), text);
  EXPECT_EQ(ReadFile(dir.file("out/empty.txt")), "");

  // Again: nobody at the terminal, so the safe answer (Cancel) is taken and said.
  ToolRun again = Pack(dir, "extract " + dir.file("p.pck") + " " + dir.file("out"));
  EXPECT_NE(again.status, 0);
  EXPECT_NE(again.err.find("no terminal to ask: answered Cancel"), std::string::npos);
  EXPECT_NE(again.err.find("Extract operation cancelled"), std::string::npos);
  ToolRun no = Pack(dir, "--no extract " + dir.file("p.pck") + " " + dir.file("out") + " empty.TXT");
  EXPECT_NE(no.status, 0);
  EXPECT_NE(no.err.find("Error: No files extracted"), std::string::npos);
  ToolRun yes = Pack(dir, "--yes --threads 1 extract " + dir.file("p.pck") + " " + dir.file("out") + " empty.TXT");
  EXPECT_EQ(yes.status, 0) << yes.err;
}

TEST(PackTool, DamageAndMisuseGiveNonZeroStatusAndOneLineErrors) {
  TempDir dir;
  testing::PackArchive(dir.file("p.pck"), {{"a.txt", std::string(5000, 'a') + "tail"}});
  std::string bytes = ReadFile(dir.file("p.pck"));
  bytes[8] = static_cast<char>(bytes[8] ^ 0x10);  // BlockCRC of the only block
  WriteFile(dir.file("crc.pck"), bytes);
  ToolRun test = Pack(dir, "test " + dir.file("crc.pck"));
  EXPECT_NE(test.status, 0);
  EXPECT_NE(test.err.find("CRC does not match!"), std::string::npos);

  WriteFile(dir.file("junk.pck"), "this is not an archive at all");
  ToolRun junk = Pack(dir, "test " + dir.file("junk.pck"));
  EXPECT_NE(junk.status, 0);
  EXPECT_EQ(junk.err, "vazeru-pack: Wrong Signature. Archive could be corrupted.\n");

  EXPECT_NE(Pack(dir, "list " + dir.file("missing.pck")).status, 0);
  EXPECT_NE(Pack(dir, "create " + dir.file("x.pck") + " " + dir.file("missing.txt")).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.pck")));
  EXPECT_NE(Pack(dir, "frobnicate").status, 0);
  EXPECT_NE(Pack(dir, "extract " + dir.file("p.pck") + " " + dir.file("no/such/dir")).status, 0);
}

// The disk fills up while an archive is written over an old one: the old one
// stays as it was, nothing of the new one is left, and the failure is said.
TEST(PackTool, CreateOnAFullDiskKeepsTheOldArchive) {
  TempDir dir;
  WriteFile(dir.file("old.txt"), "old contents");
  ASSERT_EQ(Pack(dir, "create " + dir.file("a.pck") + " " + dir.file("old.txt")).status, 0);
  const std::string before = ReadFile(dir.file("a.pck"));
  std::mt19937 random(3);
  std::string noise(300000, '\0');
  for (char& c : noise) c = static_cast<char>(random());  // does not compress below the limit
  WriteFile(dir.file("noise.bin"), noise);

  // Files may not grow past 64 KiB (128 blocks of 512 bytes); a write past it
  // fails with "File too large" instead of ending the program.
  ToolRun full = Pack(dir, "create " + dir.file("a.pck") + " " + dir.file("noise.bin"), "trap '' XFSZ; ulimit -f 128; ");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err.rfind("vazeru-pack: ", 0), 0u) << full.err;
  EXPECT_EQ(testsupport::CountOccurrences(full.err, "\n"), 1u) << full.err;
  EXPECT_EQ(ReadFile(dir.file("a.pck")), before);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.pck", "noise.bin", "old.txt", "stderr", "stdout"}));
}

}  // namespace
}  // namespace vz::archive
