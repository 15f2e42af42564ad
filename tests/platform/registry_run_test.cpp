// The Run keys as XDG autostart folders, through the registry interface.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "RegistryTestSupport.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"

namespace vz::platform {
namespace {

using regtest::OpenOrFail;
using regtest::TempRegistry;
using testsupport::ReadFile;
using testsupport::WriteFile;

constexpr const char* kRun = "\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN";

TEST(DesktopEntry, ExecIsReadFromItsGroupOnlyAndEscapesRoundTrip) {
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nType=Application\nExec = /usr/bin/tool --x\n"), "/usr/bin/tool --x");
  EXPECT_EQ(DesktopEntryExec("[Desktop Action New]\nExec=wrong\n[Desktop Entry]\nExec=right\n"), "right");
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nName=no exec\n"), "");
  EXPECT_EQ(DesktopEntryExec("Exec=/bin/true\n"), std::nullopt);
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\r\nExecutable=x\r\nExec=a\\sb\\\\c\r\n"), "a b\\c");

  const std::string command = " \"C:\\Program Files\\Spy\\spy.exe\" -silent\tnow";
  std::string entry = MakeDesktopEntry("Spy", command);
  EXPECT_NE(entry.find("Type=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("Name=Spy\n"), std::string::npos);
  EXPECT_EQ(DesktopEntryExec(entry), command);

  // Rewriting the command keeps every other line of an existing entry.
  std::string rich = "# comment\n[Desktop Entry]\nName=Tool\nExec=/old\nIcon=tool\n[Desktop Action X]\nExec=/action\n";
  std::string rewritten = WithDesktopEntryExec(rich, "Tool", "/new --flag");
  EXPECT_EQ(rewritten, "# comment\n[Desktop Entry]\nName=Tool\nExec=/new --flag\nIcon=tool\n[Desktop Action X]\nExec=/action\n");
  EXPECT_EQ(DesktopEntryExec(WithDesktopEntryExec("[Desktop Entry]\nName=A\n", "A", "/x")), "/x");
}

// How a launcher splits an Exec value (its string escapes already undone) into
// arguments: blanks separate, double quotes group with \ escaping the next
// character inside them, "%%" is a "%".
std::vector<std::string> LauncherArguments(const std::string& exec) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, started = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (inQuotes && c == '\\' && i + 1 < exec.size()) {
      current.push_back(exec[++i]);
    } else if (c == '"') {
      inQuotes = !inQuotes;
      started = true;
    } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      current.push_back(exec[++i]);
      started = true;
    } else if (c == ' ' && !inQuotes) {
      if (started) args.push_back(current);
      current.clear();
      started = false;
    } else {
      current.push_back(c);
      started = true;
    }
  }
  if (started) args.push_back(current);
  return args;
}

TEST(RunKeys, TheShieldsOwnEntryStartsItFromAnyFolder) {
  // A plain path stays as it is; anything a launcher would split or expand is quoted.
  EXPECT_EQ(StartupCommandFor("/opt/vazeru/qvshield"), "/opt/vazeru/qvshield");
  EXPECT_EQ(StartupCommandFor("/home/ann/My Tools/qvshield"), "\"/home/ann/My Tools/qvshield\"");
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey run = OpenOrFail(*store, RegistryRoot::LocalMachine, kRun);
  for (const std::string program : {"/home/ann/My Tools/qvshield", "/opt/a$b\"c`d\\e f/100%/q;v", "/opt/vazeru/qvshield"}) {
    ASSERT_TRUE(run.WriteString("Orvane shield", StartupCommandFor(program)));
    auto exec = DesktopEntryExec(ReadFile(reg.locations.machineAutostart + "/Orvane shield.desktop"));
    ASSERT_TRUE(exec);
    EXPECT_EQ(LauncherArguments(*exec), std::vector<std::string>{program}) << *exec;
  }
}

TEST(RunKeys, AnEntryThatCannotBeReadIsNotReplacedNorWaitedOn) {
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey run = OpenOrFail(*store, RegistryRoot::CurrentUser, kRun);
  ASSERT_TRUE(run.WriteString("first", "/usr/bin/first"));
  const std::string fifo = reg.locations.userAutostart + "/tool.desktop";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::vector<std::string> names;
  RegStatus written;
  EXPECT_TRUE(testsupport::ReturnsPromptly(
      [&] {
        run.ValueNames(names);
        written = run.WriteString("tool", "/usr/bin/tool");
      },
      fifo));
  EXPECT_EQ(names, std::vector<std::string>{"first"});
  EXPECT_EQ(written.code, kRegCantWrite);
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(RunKeys, WriteEnumerateAndDeleteAreDesktopFiles) {
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey run;
  // The key exists without being created, as a Run key always does.
  ASSERT_TRUE(store->OpenKey(RegistryRoot::CurrentUser, kRun, RegAccess::ReadWrite, RegDisposition::OpenExisting, run));
  std::vector<std::string> names;
  ASSERT_TRUE(run.ValueNames(names));
  EXPECT_TRUE(names.empty());

  ASSERT_TRUE(run.WriteString("zeta", "/usr/bin/zeta"));
  ASSERT_TRUE(run.WriteString("Orvane shield", "/opt/vazeru/qvshield"));
  ASSERT_TRUE(run.WriteString("alpha", "\"C:\\Program Files\\A\\a.exe\" /min"));
  std::string folder = reg.locations.userAutostart + "/";
  std::string file = ReadFile(folder + "Orvane shield.desktop");
  EXPECT_EQ(file, "[Desktop Entry]\nType=Application\nName=Orvane shield\nExec=/opt/vazeru/qvshield\n");

  // Things in the folder that are not desktop entries are not values.
  WriteFile(folder + "README", "not an entry");
  WriteFile(folder + "broken.desktop", "no group here\n");
  std::filesystem::create_directory(folder + "folder.desktop");

  ASSERT_TRUE(run.ValueNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Orvane shield", "zeta"}));
  std::string text;
  ASSERT_TRUE(run.ReadString("ALPHA", text));
  EXPECT_EQ(text, "\"C:\\Program Files\\A\\a.exe\" /min");
  EXPECT_FALSE(run.HasValue("broken"));

  // Writing again under another case replaces the same file.
  ASSERT_TRUE(run.WriteString("ORVANE SHIELD", "/opt/vazeru/qvshield --again"));
  EXPECT_FALSE(FileExists(folder + "ORVANE SHIELD.desktop"));
  ASSERT_TRUE(run.ReadString("Orvane shield", text));
  EXPECT_EQ(text, "/opt/vazeru/qvshield --again");

  ASSERT_TRUE(run.DeleteValue("orvane shield"));
  EXPECT_FALSE(FileExists(folder + "Orvane shield.desktop"));
  EXPECT_EQ(run.DeleteValue("orvane shield").code, kRegFileNotFound);
  EXPECT_EQ(run.WriteString("a/b", "x").code, kRegInvalidParameter);
  EXPECT_EQ(run.WriteValue("num", RegValue::Dword(1)).code, kRegInvalidParameter);
  EXPECT_TRUE(FileExists(folder + "README"));

  // The machine's Run key is the other folder; both keys spell alike in any case.
  RegistryKey machineRun = OpenOrFail(*store, RegistryRoot::LocalMachine, "software\\microsoft\\windows\\currentversion\\run");
  ASSERT_TRUE(machineRun.WriteString("Orvane shield", "/opt/vazeru/qvshield"));
  EXPECT_TRUE(FileExists(reg.locations.machineAutostart + "/Orvane shield.desktop"));
  ASSERT_TRUE(machineRun.ValueNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"Orvane shield"}));
  // Nothing of it went into the hive files.
  EXPECT_EQ(ReadFile(reg.locations.userHive).find("qvshield"), std::string::npos);
  EXPECT_EQ(ReadFile(reg.locations.machineHive).find("qvshield"), std::string::npos);
}

TEST(RunKeys, DesktopFileDroppedInByHandIsAValueAndWakesTheNotifier) {
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey run = OpenOrFail(*store, RegistryRoot::CurrentUser, kRun, RegAccess::Read, RegDisposition::OpenExisting);
  ASSERT_TRUE(run.IsOpen());
  RegStatus status;
  auto watch = store->NotifyChanges(run, 0, status);
  ASSERT_TRUE(watch) << status.Text();
  watch->Arm();
  // A watcher of an ancestor key sees it too.
  RegistryKey currentVersion = OpenOrFail(*store, RegistryRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion",
                                          RegAccess::Read, RegDisposition::OpenExisting);
  auto ancestor = store->NotifyChanges(currentVersion, 0, status);
  ASSERT_TRUE(ancestor);
  ancestor->Arm();
  // The folder does not even exist yet: the watch follows it into being.
  EXPECT_FALSE(FolderExists(reg.locations.userAutostart));
  std::filesystem::create_directories(reg.locations.userAutostart);
  WriteFile(reg.locations.userAutostart + "/miner.desktop",
            "[Desktop Entry]\nType=Application\nName=Miner\nExec=/tmp/.x/xmrig --background\n");
  EXPECT_EQ(watch->Wait(10000), NotifyWait::Signalled);
  EXPECT_EQ(ancestor->Wait(10000), NotifyWait::Signalled);
  std::string text;
  ASSERT_TRUE(run.ReadString("miner", text));
  EXPECT_EQ(text, "/tmp/.x/xmrig --background");

  // Removing it by hand is a change as well; a file that is not an entry is not.
  watch->Arm();
  WriteFile(reg.locations.userAutostart + "/notes.txt", "x");
  EXPECT_EQ(watch->Wait(300), NotifyWait::TimedOut);
  std::filesystem::remove(reg.locations.userAutostart + "/miner.desktop");
  EXPECT_EQ(watch->Wait(10000), NotifyWait::Signalled);
  EXPECT_FALSE(run.HasValue("miner"));
}

}  // namespace
}  // namespace vz::platform
