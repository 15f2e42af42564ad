// The hive-file registry: real files in a temporary folder, real processes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <set>

#include "RegistryTestSupport.h"
#include "platform/ComputerName.h"
#include "platform/FileSystem.h"
#include "platform/HiveText.h"

namespace vz::platform {
namespace {

using regtest::HiveWriter;
using regtest::OpenOrFail;
using regtest::TempRegistry;
using testsupport::ReadFile;
using testsupport::WriteFile;

// "n<i>", the names the helper's endless series writes.
std::string SeriesName(std::size_t i) {
  std::string name = std::to_string(i);
  name.insert(name.begin(), 'n');
  return name;
}

constexpr const char* kSchedule = "\\Software\\Ornavex\\1.0";

HiveParseResult ParseFile(const std::string& path, Hive& hive, const char* root = "HKEY_LOCAL_MACHINE") {
  return ParseHiveText(ReadFile(path), root, hive);
}

TEST(HiveFileRegistry, KeysAndValuesPersistAndCompareWithoutCase) {
  TempRegistry reg;
  {
    auto store = reg.Open();
    RegistryKey key;
    EXPECT_EQ(store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::ReadWrite, RegDisposition::OpenExisting, key)
                  .code,
              kRegFileNotFound);
    EXPECT_FALSE(key.IsOpen());
    ASSERT_TRUE(store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::ReadWrite, RegDisposition::CreateIfMissing,
                               key));
    EXPECT_EQ(key.Path(), "Software\\Ornavex\\1.0");
    EXPECT_TRUE(key.WriteString("ScheDeac", "1"));
    EXPECT_TRUE(key.WriteString("Schtype", "0"));
    EXPECT_TRUE(key.WriteValue("Count", RegValue::Dword(7)));
    EXPECT_TRUE(key.WriteString("SCHEDEAC", "0"));  // same value, first spelling kept
    EXPECT_TRUE(store->KeyExists(RegistryRoot::LocalMachine, "SOFTWARE\\ORNAVEX\\1.0"));
    EXPECT_FALSE(store->KeyExists(RegistryRoot::CurrentUser, "SOFTWARE\\ORNAVEX\\1.0"));
  }
  auto store = reg.Open();  // a fresh load from the file
  RegistryKey key;
  ASSERT_TRUE(store->OpenKey(RegistryRoot::LocalMachine, "software\\ornavex\\1.0\\", RegAccess::Read,
                             RegDisposition::OpenExisting, key));
  std::vector<std::string> names;
  ASSERT_TRUE(key.ValueNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"ScheDeac", "Schtype", "Count"}));
  std::string text;
  EXPECT_TRUE(key.ReadString("schedeac", text));
  EXPECT_EQ(text, "0");
  // A key opened for reading refuses writes.
  EXPECT_EQ(key.WriteString("x", "y").code, kRegAccessDenied);
  RegistryKey writable = OpenOrFail(*store, RegistryRoot::LocalMachine, kSchedule);
  EXPECT_TRUE(writable.DeleteValue("SCHTYPE"));
  EXPECT_EQ(writable.DeleteValue("Schtype").code, kRegFileNotFound);
  EXPECT_TRUE(key.ValueNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"ScheDeac", "Count"}));
  std::vector<std::string> subKeys;
  RegistryKey software = OpenOrFail(*store, RegistryRoot::LocalMachine, "Software", RegAccess::Read);
  ASSERT_TRUE(software.SubKeyNames(subKeys));
  EXPECT_NE(std::find(subKeys.begin(), subKeys.end(), "Ornavex"), subKeys.end());
  EXPECT_NE(std::find(subKeys.begin(), subKeys.end(), "Microsoft"), subKeys.end());  // on the way to Run
  // The file is REGEDIT4 text that names its root.
  std::string file = ReadFile(reg.locations.machineHive);
  EXPECT_EQ(file.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\Software\\Ornavex\\1.0]"), std::string::npos);
  EXPECT_NE(file.find("\"ScheDeac\"=\"0\""), std::string::npos);
  EXPECT_TRUE(store->DeleteKey(RegistryRoot::LocalMachine, "Software\\Ornavex"));
  EXPECT_FALSE(store->KeyExists(RegistryRoot::LocalMachine, kSchedule));
}

TEST(HiveFileRegistry, ReadAsTextConvertsByTypeAndFailsOnMissingOrOtherTypes) {
  TempRegistry reg;
  auto store = reg.Open();
  RegistryKey key = OpenOrFail(*store, RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  ASSERT_TRUE(key.IsOpen());
  key.WriteValue("Sz", RegValue::String("/opt"));
  key.WriteValue("Expand", RegValue::ExpandString("%ProgramFiles%"));
  key.WriteValue("Number", RegValue::Dword(4294967295u));
  key.WriteValue("Raw", RegValue::Binary(std::string("ab\0c", 4)));
  key.WriteValue("List", RegValue::MultiString({"a"}));
  key.WriteValue("Wide", RegValue::Qword(1));
  std::string text;
  EXPECT_TRUE(key.ReadAsText("sz", text));
  EXPECT_EQ(text, "/opt");
  EXPECT_TRUE(key.ReadAsText("Expand", text));
  EXPECT_EQ(text, "%ProgramFiles%");
  EXPECT_TRUE(key.ReadAsText("Number", text));
  EXPECT_EQ(text, "4294967295");
  EXPECT_TRUE(key.ReadAsText("Raw", text));
  EXPECT_EQ(text, std::string("ab\0c", 4));
  for (const char* bad : {"List", "Wide", "Missing"}) {
    RegStatus status = key.ReadAsText(bad, text);
    EXPECT_EQ(status.code, kRegCantRead) << bad;
    EXPECT_EQ(status.Text(), "The configuration registry key could not be read.");
  }
  EXPECT_EQ(key.ReadString("Number", text).code, kRegCantRead);
  EXPECT_EQ(key.ReadString("Missing", text).code, kRegFileNotFound);
  RegistryKey closed;
  EXPECT_EQ(closed.ReadAsText("Sz", text).code, kRegInvalidHandle);
}

TEST(HiveFileRegistry, FirstStartSeedsFolderValuesWithoutOverwriting) {
  TempRegistry reg(/*seed=*/true);
  {
    // A hive that already has a Program Files folder, e.g. written by the console.
    auto plain = reg.Open();
    reg.locations.seedMachineFolders = false;
    OpenOrFail(*reg.Open(), RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion")
        .WriteString("ProgramFilesDir", "/srv/programs");
  }
  reg.locations.seedMachineFolders = true;
  auto store = reg.Open();
  RegistryKey root;
  ASSERT_TRUE(store->ConnectRegistry("", RegistryRoot::LocalMachine, root));
  std::string text;
  RegistryKey nt, cv;
  ASSERT_TRUE(root.OpenSubKey("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Read,
                              RegDisposition::OpenExisting, nt));
  EXPECT_TRUE(nt.ReadString("SystemRoot", text));
  EXPECT_EQ(text, "/usr");
  ASSERT_TRUE(root.OpenSubKey("\\Software\\Microsoft\\Windows\\CurrentVersion", RegAccess::Read,
                              RegDisposition::OpenExisting, cv));
  EXPECT_TRUE(cv.ReadAsText("ProgramFilesDIR", text));
  EXPECT_EQ(text, "/srv/programs");
  EXPECT_TRUE(cv.ReadString("CommonFilesDir", text));
  EXPECT_EQ(text, "/usr/lib");
  // Seeded into the file itself, so other programs see them.
  EXPECT_NE(ReadFile(reg.locations.machineHive).find("\"CommonFilesDir\"=\"/usr/lib\""), std::string::npos);

  RegistryKey remote;
  RegStatus status = store->ConnectRegistry("\\\\no-such-computer-here", RegistryRoot::LocalMachine, remote);
  EXPECT_EQ(status.code, kRegBadNetPath);
  EXPECT_FALSE(remote.IsOpen());
  // This computer's own name, in any case, is this registry.
  const std::string own = ComputerName();
  ASSERT_FALSE(own.empty());
  std::string upper = own;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(store->ConnectRegistry("\\\\" + upper, RegistryRoot::LocalMachine, remote));
  EXPECT_TRUE(remote.IsOpen());
}

TEST(HiveFileRegistry, DamagedHiveKeepsGoodValuesAndABadCopyBeforeRewrite) {
  TempRegistry reg;
  std::string damaged =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Ornavex\\1.0]\n\"ScheDeac\"=\"1\"\n\"Schtype\"=dword:zz\n"
      "#\x01 binary junk\n[HKEY_LOCAL_MACHINE\\Software\\Ornavex\\1.0\\Sub]\n\"Runmissed\"=\"-1\"\n\"Trunc";
  damaged[damaged.find('#')] = '\0';  // a NUL in the middle of the file
  WriteFile(reg.locations.machineHive, damaged);
  auto store = reg.Open();
  RegistryKey key = OpenOrFail(*store, RegistryRoot::LocalMachine, kSchedule);
  std::string text;
  EXPECT_TRUE(key.ReadString("ScheDeac", text));
  EXPECT_EQ(text, "1");
  EXPECT_FALSE(key.HasValue("Schtype"));
  RegistryKey sub;
  ASSERT_TRUE(key.OpenSubKey("Sub", RegAccess::Read, RegDisposition::OpenExisting, sub));
  EXPECT_TRUE(sub.ReadString("Runmissed", text));
  EXPECT_FALSE(FileExists(reg.locations.machineHive + ".bad"));  // reading alone changes nothing

  ASSERT_TRUE(key.WriteString("Runupdate", "0"));
  EXPECT_EQ(ReadFile(reg.locations.machineHive + ".bad"), damaged);
  Hive hive;
  EXPECT_FALSE(ParseFile(reg.locations.machineHive, hive).damaged);
  EXPECT_EQ(hive.ValueCount(), 3u);
  // Once clean, later writes leave the copy alone.
  ASSERT_TRUE(key.WriteString("Runupdate", "1"));
  EXPECT_EQ(ReadFile(reg.locations.machineHive + ".bad"), damaged);
}

TEST(HiveFileRegistry, ReadersSeeWritesOfOtherStoresWithoutReopening) {
  TempRegistry reg;
  auto writer = reg.Open();
  auto reader = reg.Open();
  RegistryKey w = OpenOrFail(*writer, RegistryRoot::LocalMachine, kSchedule);
  RegistryKey r = OpenOrFail(*reader, RegistryRoot::LocalMachine, kSchedule, RegAccess::Read);
  std::string text;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(w.WriteString("Runupdate", std::to_string(i)));
    ASSERT_TRUE(r.ReadString("Runupdate", text));
    ASSERT_EQ(text, std::to_string(i));
  }
  // The reader's own write starts from the newest file, losing nothing.
  RegistryKey rw = OpenOrFail(*reader, RegistryRoot::LocalMachine, kSchedule);
  ASSERT_TRUE(w.WriteString("FromWriter", "a"));
  ASSERT_TRUE(rw.WriteString("FromReader", "b"));
  EXPECT_TRUE(w.ReadString("FromReader", text));
  EXPECT_TRUE(r.ReadString("FromWriter", text));
  EXPECT_EQ(text, "a");
}

TEST(HiveFileRegistry, TwoProcessesWritingTheSameHiveLoseNothing) {
  TempRegistry reg;
  HiveWriter a({reg.dir.path(), "write", "Software\\Shared", "a", "1000"});
  HiveWriter b({reg.dir.path(), "write", "Software\\Shared", "b", "1000"});
  ASSERT_TRUE(a.started() && b.started());
  EXPECT_EQ(a.Wait(90000), 0);
  EXPECT_EQ(b.Wait(90000), 0);
  Hive hive;
  EXPECT_FALSE(ParseFile(reg.locations.machineHive, hive).damaged);
  const HiveKey* key = hive.FindKey("Software\\Shared");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), 2000u);
  for (int i = 0; i < 1000; ++i) {
    for (const char* prefix : {"a", "b"}) {
      const HiveValue* v = key->Find(prefix + std::to_string(i));
      ASSERT_NE(v, nullptr) << prefix << i;
      EXPECT_EQ(v->value.data, "value " + std::to_string(i));
    }
  }
}

TEST(HiveFileRegistry, WriterKilledMidwayLeavesALoadableHive) {
  TempRegistry reg;
  {
    // A large hive makes each replacement take long enough to be caught in the middle.
    auto store = reg.Open();
    RegistryKey bulk = OpenOrFail(*store, RegistryRoot::LocalMachine, "Software\\Bulk");
    Hive big;
    HiveKey& k = big.CreateKey("Software\\Bulk");
    for (int i = 0; i < 20000; ++i) big.SetValue(k, "pad" + std::to_string(i), RegValue::String(std::string(40, 'p')));
    ASSERT_TRUE(WriteFileAtomic(reg.locations.machineHive, FormatHiveText(big, "HKEY_LOCAL_MACHINE")));
  }
  auto store = reg.Open();
  for (int round = 0; round < 3; ++round) {
    HiveWriter writer({reg.dir.path(), "forever", "Software\\Series"});
    ASSERT_TRUE(writer.started());
    // Let it get a few writes in, then kill it wherever it is.
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
          RegistryKey k;
          return store->OpenKey(RegistryRoot::LocalMachine, "Software\\Series", RegAccess::Read,
                                RegDisposition::OpenExisting, k) &&
                 k.HasValue(SeriesName(2 + round * 3));
        },
        60000));
    writer.KillNow();
    Hive hive;
    HiveParseResult result = ParseFile(reg.locations.machineHive, hive);
    ASSERT_FALSE(result.damaged) << "round " << round << " line " << result.firstBadLine;
    const HiveKey* series = hive.FindKey("Software\\Series");
    ASSERT_NE(series, nullptr);
    // Old or new content: the series is complete up to where it stopped.
    for (std::size_t i = 0; i < series->values.size(); ++i)
      EXPECT_EQ(series->values[i].name, SeriesName(i));
    EXPECT_EQ(hive.FindKey("Software\\Bulk")->values.size(), 20000u);
  }
  // The next writer simply carries on, and clears what killed writers left.
  RegistryKey k = OpenOrFail(*store, RegistryRoot::LocalMachine, "Software\\Series");
  EXPECT_TRUE(k.WriteString("after", "kill"));
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(reg.dir.path())) names.insert(e.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"machine.reg", "machine.reg.lock"}));
}

TEST(HiveFileRegistry, HiveThisProcessMayNotWriteOpensReadOnly) {
  TempRegistry reg;
  {
    reg.locations.seedMachineFolders = false;
    auto store = reg.Open();
    ASSERT_TRUE(OpenOrFail(*store, RegistryRoot::LocalMachine, kSchedule).WriteString("ScheDeac", "1"));
  }
  std::filesystem::create_directory(reg.locations.machineAutostart);
  ::chmod(reg.locations.machineAutostart.c_str(), 0555);
  ::chmod(reg.locations.machineHive.c_str(), 0444);
  ::chmod(reg.dir.path().c_str(), 0555);
  if (::geteuid() == 0) {
    // Root may write anywhere: check as an ordinary user in a helper process.
    HiveWriter probe({reg.dir.path(), "probe", kSchedule, "ScheDeac", "1"});
    EXPECT_EQ(probe.Wait(30000), 0) << "see the probe checks in hivewriter.cpp";
  } else {
    auto store = reg.Open();
    RegistryKey key;
    EXPECT_EQ(store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::ReadWrite, RegDisposition::OpenExisting, key)
                  .code,
              kRegAccessDenied);
    EXPECT_TRUE(store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::Read, RegDisposition::OpenExisting, key));
    EXPECT_EQ(store->CreateKey(RegistryRoot::LocalMachine, "Software\\New").code, kRegAccessDenied);
    EXPECT_EQ(store->OpenKey(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                             RegAccess::ReadWrite, RegDisposition::OpenExisting, key)
                  .code,
              kRegAccessDenied);
  }
  ::chmod(reg.dir.path().c_str(), 0755);
}

TEST(HiveFileRegistry, AnUnreadableHiveIsAnErrorAndIsNeverOverwritten) {
  TempRegistry reg;
  {
    auto store = reg.Open();
    RegistryKey k = OpenOrFail(*store, RegistryRoot::LocalMachine, kSchedule);
    ASSERT_TRUE(k.WriteString("first", "1"));
    ASSERT_TRUE(k.WriteString("second", "2"));
  }
  const std::string before = ReadFile(reg.locations.machineHive);
  // The helper owns the hive and its folder, and puts a write-only (0200) copy
  // in the hive's place while it has a key open for writing.
  if (::geteuid() == 0) {
    for (const std::string& path : {reg.dir.path(), reg.locations.machineHive, reg.locations.machineHive + ".lock"})
      ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << path;
  }
  HiveWriter helper({reg.dir.path(), "unreadable", kSchedule, "first"});
  EXPECT_EQ(helper.Wait(30000), 0) << "see the checks of 'unreadable' in hivewriter.cpp";
  ::chmod(reg.locations.machineHive.c_str(), 0600);
  EXPECT_EQ(ReadFile(reg.locations.machineHive), before);
}

TEST(HiveFileRegistry, AFifoInPlaceOfTheHiveIsReportedNotWaitedOn) {
  TempRegistry reg;
  ASSERT_EQ(::mkfifo(reg.locations.machineHive.c_str(), 0600), 0);
  auto store = reg.Open();
  RegStatus read, write, create;
  EXPECT_TRUE(testsupport::ReturnsPromptly(
      [&] {
        RegistryKey k;
        read = store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::Read, RegDisposition::OpenExisting, k);
        write = store->OpenKey(RegistryRoot::LocalMachine, kSchedule, RegAccess::ReadWrite,
                               RegDisposition::CreateIfMissing, k);
        create = store->CreateKey(RegistryRoot::LocalMachine, "Software\\New");
      },
      reg.locations.machineHive));
  EXPECT_EQ(read.code, kRegCantRead);
  EXPECT_EQ(write.code, kRegCantWrite);
  EXPECT_EQ(create.code, kRegCantWrite);
  struct stat st {};
  ASSERT_EQ(::lstat(reg.locations.machineHive.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(HiveFileRegistry, LocationsComeFromTheEnvironment) {
  TempRegistry reg;
  RegistryLocations l = DefaultRegistryLocations();
  EXPECT_EQ(l.machineHive, reg.dir.file("machine.reg"));
  EXPECT_EQ(l.userHive, reg.dir.file("user.reg"));
  EXPECT_EQ(l.machineAutostart, reg.locations.machineAutostart);
  EXPECT_EQ(l.userAutostart, reg.dir.file("config/autostart"));
  ::unsetenv("VAZERU_REGISTRY_DIR");
  l = DefaultRegistryLocations();
  EXPECT_EQ(l.machineHive, "/var/lib/orvane-vazeru/registry/machine.reg");
  EXPECT_EQ(l.userHive, reg.dir.file("config/orvane-vazeru/registry/user.reg"));
}

}  // namespace
}  // namespace vz::platform
