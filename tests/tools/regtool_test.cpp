// vazeru-reg as a program against a temporary store: what it writes is what
// the store holds, what it prints reads back, and every failure is one line
// with exit status 1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ToolRun.h"
#include "platform/HiveText.h"
#include "platform/RegistryHive.h"
#include "platform/RegistryTestSupport.h"

namespace vz::toolstest {
namespace {

using platform::RegistryRoot;

constexpr const char* kMain = "HKCU\\Software\\microsoft\\internet explorer\\Main";

ToolResult Reg(const std::vector<std::string>& args) { return RunTool("vazeru-reg", args); }

TEST(RegTool, SetQueryExportDeleteRoundTrip) {
  platform::regtest::TempRegistry registry;
  const std::string tricky = "http://start.example/?q=\"a\\b\" c";
  ASSERT_EQ(Reg({"set", kMain, "Start Page", tricky}).status, 0);
  ASSERT_EQ(Reg({"set", "HKEY_CURRENT_USER\\software\\Microsoft\\Internet Explorer\\Main\\Sub", "Deep", "x"}).status, 0);
  ASSERT_EQ(Reg({"set", "hklm\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "DataBasePath", "/etc"}).status,
            0);

  // The store itself holds the values (the tool wrote through it), keys
  // compare without case, and the root's long name means the same root.
  auto store = registry.Open();
  platform::RegistryKey main;
  ASSERT_TRUE(store->OpenKey(RegistryRoot::CurrentUser, "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN",
                             platform::RegAccess::Read, platform::RegDisposition::OpenExisting, main));
  std::string text;
  ASSERT_TRUE(main.ReadString("start page", text));
  EXPECT_EQ(text, tricky);

  ToolResult one = Reg({"query", "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main", "START PAGE"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out, tricky + "\n");
  EXPECT_EQ(one.err, "");

  // A non-string value is shown as the hive format writes its data.
  ASSERT_TRUE(store->OpenKey(RegistryRoot::CurrentUser, "Software\\microsoft\\internet explorer\\Main",
                             platform::RegAccess::ReadWrite, platform::RegDisposition::OpenExisting, main));
  ASSERT_TRUE(main.WriteValue("Count", platform::RegValue::Dword(10)));
  EXPECT_EQ(Reg({"query", kMain, "Count"}).out, "dword:0000000a\n");
  ToolResult all = Reg({"query", kMain});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, platform::FormatHiveValue("Start Page", platform::RegValue::String(tricky)) +
                         "\"Count\"=dword:0000000a\n");

  // The export is REGEDIT4 text that parses back to the same values, the
  // subkey included, and the whole store holds both roots.
  ToolResult exported = Reg({"export", "HKCU\\Software\\Microsoft\\Internet Explorer"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out.rfind("REGEDIT4\n", 0), 0u);
  platform::Hive parsed;
  EXPECT_FALSE(platform::ParseHiveText(exported.out, "HKEY_CURRENT_USER", parsed).damaged) << exported.out;
  const platform::HiveKey* key = parsed.FindKey("Software\\Microsoft\\Internet Explorer\\Main");
  ASSERT_NE(key, nullptr) << exported.out;
  ASSERT_NE(key->Find("Start Page"), nullptr);
  EXPECT_EQ(key->Find("Start Page")->value, platform::RegValue::String(tricky));
  const platform::HiveKey* deep = parsed.FindKey("Software\\Microsoft\\Internet Explorer\\Main\\Sub");
  ASSERT_NE(deep, nullptr) << exported.out;
  EXPECT_EQ(deep->Find("Deep")->value, platform::RegValue::String("x"));
  EXPECT_EQ(exported.out.find(';'), std::string::npos) << "no bookkeeping lines in an export";

  ToolResult everything = Reg({"export"});
  EXPECT_EQ(everything.status, 0);
  EXPECT_NE(everything.out.find("\"DataBasePath\"=\"/etc\"\n"), std::string::npos) << everything.out;
  EXPECT_NE(everything.out.find("[HKEY_CURRENT_USER\\Software\\microsoft\\internet explorer\\Main]\n"),
            std::string::npos)
      << everything.out;

  // Deleting a value, then the key with its subkey.
  EXPECT_EQ(Reg({"delete", kMain, "Start Page"}).status, 0);
  EXPECT_FALSE(main.HasValue("Start Page"));
  EXPECT_TRUE(main.HasValue("Count"));
  EXPECT_EQ(Reg({"delete", "HKCU\\Software\\microsoft\\internet explorer"}).status, 0);
  EXPECT_FALSE(store->KeyExists(RegistryRoot::CurrentUser, "Software\\microsoft\\internet explorer\\Main\\Sub"));
  EXPECT_TRUE(store->KeyExists(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"));
}

// The Run keys are the autostart folders: a value written there is a desktop
// file, and the export lists it with the rest of the store.
TEST(RegTool, RunKeyIsTheAutostartFolder) {
  platform::regtest::TempRegistry registry;
  const std::string run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  ASSERT_EQ(Reg({"set", run, "notes", "/usr/bin/notes --quiet"}).status, 0);
  EXPECT_TRUE(std::filesystem::exists(registry.locations.userAutostart + "/notes.desktop"));
  EXPECT_EQ(Reg({"query", run, "notes"}).out, "/usr/bin/notes --quiet\n");
  EXPECT_NE(Reg({"export"}).out.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                                     "\"notes\"=\"/usr/bin/notes --quiet\"\n"),
            std::string::npos);
  EXPECT_EQ(Reg({"delete", run, "notes"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(registry.locations.userAutostart + "/notes.desktop"));
}

TEST(RegTool, EachErrorIsOneLineWithStatusOne) {
  platform::regtest::TempRegistry registry;
  ASSERT_EQ(Reg({"set", kMain, "Start Page", "about:blank"}).status, 0);
  struct Case {
    std::vector<std::string> args;
    std::string err;  // the start of the one line
  };
  const Case cases[] = {
      {{"query", "HKCR\\Software"}, "vazeru-reg: bad key 'HKCR\\Software': a key starts with HKLM\\ or HKCU\\\n"},
      {{"query", "Software\\X"}, "vazeru-reg: bad key 'Software\\X'"},
      {{"query", "HKCU\\Software\\Nowhere"}, "vazeru-reg: key not found: HKEY_CURRENT_USER\\Software\\Nowhere\n"},
      {{"query", kMain, "Search Page"},
       "vazeru-reg: value \"Search Page\" not found in HKEY_CURRENT_USER\\Software\\microsoft\\internet explorer\\Main\n"},
      {{"delete", kMain, "Search Page"}, "vazeru-reg: value \"Search Page\" not found in "},
      {{"delete", "HKCU\\Software\\Nowhere"}, "vazeru-reg: key not found: HKEY_CURRENT_USER\\Software\\Nowhere\n"},
      {{"delete", "HKLM"}, "vazeru-reg: HKEY_LOCAL_MACHINE: a root cannot be deleted\n"},
      {{"export", "HKCU\\Software\\Nowhere"}, "vazeru-reg: key not found: "},
      {{"frobnicate"}, "vazeru-reg: unknown command 'frobnicate'\n"},
      {{"set", kMain, "Start Page"}, "vazeru-reg: wrong number of arguments for set\n"},
      {{}, "vazeru-reg: no command\n"},
  };
  for (const Case& c : cases) {
    ToolResult r = Reg(c.args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    // A mistaken command line is followed by the usage; anything else is one line.
    const bool commandLine = c.err.find("command") != std::string::npos || c.err.find("arguments") != std::string::npos;
    if (!commandLine) {
      EXPECT_EQ(testsupport::CountOccurrences(r.err, "\n"), 1u) << r.err;
    }
  }
  // Nothing was changed by the failures.
  EXPECT_EQ(Reg({"query", kMain, "Start Page"}).out, "about:blank\n");

  ToolResult help = Reg({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: vazeru-reg query KEY [NAME]", 0), 0u) << help.out;
}

// An ordinary user may read the machine hive but not write it.
TEST(RegTool, NoRightsToTheMachineHive) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the tool as an ordinary user (nobody)";
  if (!std::filesystem::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv (util-linux) is not installed";
  platform::regtest::TempRegistry registry;
  const std::string key = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  ASSERT_EQ(Reg({"set", key, "DataBasePath", "/etc"}).status, 0);
  ::chmod(registry.dir.path().c_str(), 0755);
  ::chmod(registry.locations.machineHive.c_str(), 0644);
  const std::vector<std::string> asNobody = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

  ToolResult read = RunTool("vazeru-reg", {"query", key, "DataBasePath"}, asNobody);
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, "/etc\n");
  ToolResult write = RunTool("vazeru-reg", {"set", key, "DataBasePath", "/tmp/evil"}, asNobody);
  EXPECT_EQ(write.status, 1);
  EXPECT_EQ(write.err,
            "vazeru-reg: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters: no rights to "
            "change it (Access is denied.)\n");
  ToolResult remove = RunTool("vazeru-reg", {"delete", key, "DataBasePath"}, asNobody);
  EXPECT_EQ(remove.status, 1);
  EXPECT_NE(remove.err.find("no rights"), std::string::npos) << remove.err;
  EXPECT_EQ(Reg({"query", key, "DataBasePath"}).out, "/etc\n");
}

}  // namespace
}  // namespace vz::toolstest
