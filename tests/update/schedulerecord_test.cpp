// The schedule record: its encodings, reading with errors the caller sees, and
// saving through the in-memory registry and the real hive store.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/testing/MemoryRegistry.h"
#include "support/TestSupport.h"
#include "update/ScheduleRecord.h"
#include "update/ScheduleSettings.h"

namespace vz::update {
namespace {

using platform::RegAccess;
using platform::RegDisposition;
using platform::RegistryRoot;

platform::RegistryKey OpenRawKey(platform::RegistryStore& store) {
  platform::RegistryKey key;
  EXPECT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, kScheduleKeyPath, RegAccess::ReadWrite,
                            RegDisposition::CreateIfMissing, key));
  return key;
}

TEST(ScheduleEncodings, BooleansAndNumbers) {
  for (const char* yes : {"-1", "1", "7", "+2", "0010", " -1 ", "True", "TRUE", "true", "99999999999999999999999"})
    EXPECT_EQ(ParseRecordBoolean(yes), std::optional<bool>(true)) << yes;
  for (const char* no : {"0", "-0", "000", "False", "FALSE", " false "})
    EXPECT_EQ(ParseRecordBoolean(no), std::optional<bool>(false)) << no;
  for (const char* bad : {"", "  ", "-", "yes", "1.5", "Truee", "0x1", "1 1"})
    EXPECT_FALSE(ParseRecordBoolean(bad).has_value()) << bad;

  EXPECT_EQ(ParseRecordNumber(" 12 "), 12);
  EXPECT_EQ(ParseRecordNumber("-3"), -3);
  EXPECT_EQ(ParseRecordNumber("+4"), 4);
  for (const char* bad : {"", "+", "1.0", "12a", "0x10", "99999999999999999999999"})
    EXPECT_FALSE(ParseRecordNumber(bad).has_value()) << bad;
  EXPECT_EQ(RecordBooleanText(true), "-1");
  EXPECT_EQ(RecordBooleanText(false), "0");
}

TEST(ScheduleEncodings, InputIsCheckedAgainstEachValuesForm) {
  struct Case {
    const char* name;
    const char* input;
    const char* stored;  // nullptr: refused
  };
  const Case cases[] = {
      {"Schtype", "Weekly", "1"},        {"schtype", "at startup", "2"},   {"Schtype", "2", "2"},
      {"Schtype", "3", nullptr},         {"Schtype", "hourly", nullptr},   {"Schday", "sun", "6"},
      {"Schday", " 0 ", "0"},            {"Schday", "7", nullptr},         {"Schday", "-1", nullptr},
      {"ScheTime", "23", "23"},          {"ScheTime", "07", "7"},          {"ScheTime", "24", nullptr},
      {"ScheTime", "noon", nullptr},     {"UpdLan", "yes", "-1"},          {"UpdLan", "TRUE", "-1"},
      {"Runmissed", "no", "0"},          {"CopyLan", "maybe", nullptr},    {"ScheDeac", "true", "1"},
      {"ScheDeac", "0", "0"},            {"Runupdate", "1", "1"},          {"Runupdate", "x", nullptr},
      {"UpdLanS", "/mnt/share ", "/mnt/share "},                           {"UpdLanS", "  ", ""},
      {"CopyLanS", "relative/dir", nullptr},                               {"CopyLanS", "/a\nb", nullptr},
      {"UpdateServer", " https://h.example:8443/x ", "https://h.example:8443/x"},
      {"UpdateServer", "HTTP://127.0.0.1:8080", "HTTP://127.0.0.1:8080"},
      {"UpdateServer", "ftp://h.example/", nullptr},                       {"UpdateServer", "https://", nullptr},
      {"UpdateServer", "http:///path", nullptr},                           {"UpdateServer", "http://a b/", nullptr},
      {"UpdateServer", "", nullptr},
  };
  for (const Case& c : cases) {
    const ScheduleValue* value = FindScheduleValue(c.name);
    ASSERT_NE(value, nullptr) << c.name;
    std::string stored = "unchanged", reason;
    bool ok = StoredTextFromInput(*value, c.input, stored, reason);
    if (c.stored) {
      EXPECT_TRUE(ok) << c.name << " " << c.input << ": " << reason;
      EXPECT_EQ(stored, c.stored) << c.name << " " << c.input;
    } else {
      EXPECT_FALSE(ok) << c.name << " " << c.input << " gave " << stored;
      EXPECT_EQ(stored, "unchanged");
      EXPECT_FALSE(reason.empty());
    }
  }
  EXPECT_EQ(FindScheduleValue("NoSuchValue"), nullptr);
  // Every default is a valid stored text, so a fresh record reads cleanly.
  for (const ScheduleValue& value : ScheduleValues()) {
    std::string reason;
    EXPECT_TRUE(IsValidStoredText(value, value.defaultText, reason)) << value.name << ": " << reason;
  }
}

TEST(ScheduleRecordReading, NamesIgnoreCaseAndBadValuesAreErrors) {
  platform::testing::MemoryRegistry registry;
  ScheduleRecord record(registry);
  EXPECT_FALSE(record.KeyExists());
  EXPECT_EQ(record.Open(RegAccess::ReadWrite).code, platform::kRegFileNotFound);
  EXPECT_FALSE(record.KeyExists()) << "opening for the timer never creates the key";

  auto raw = OpenRawKey(registry);
  raw.WriteString("SCHEDEAC", "True");
  raw.WriteString("ScheTime", " 9 ");
  raw.WriteString("schtype", " 1 ");
  raw.WriteString("Schday", "Mon");
  raw.WriteString("Runmissed", "");
  raw.WriteValue("Updlan", platform::RegValue::Dword(1));
  ASSERT_TRUE(record.Open(RegAccess::ReadWrite));

  EXPECT_TRUE(record.ReadBoolean("ScheDeac"));
  EXPECT_TRUE(record.ReadBoolean("Schedeac"));
  EXPECT_EQ(record.ReadNumber("schetime"), 9);
  EXPECT_EQ(record.ReadTrimmed("Schtype"), "1");
  EXPECT_EQ(record.ReadText("UpdlanS"), "") << "a missing text reads as empty";
  EXPECT_FALSE(record.HasValue("UpdlanS"));

  // Each failure names the value it is about.
  auto failure = [&](auto read) -> std::string {
    try {
      read();
    } catch (const EScheduleRecord& e) {
      return e.what();
    }
    return "no error";
  };
  EXPECT_NE(failure([&] { record.ReadNumber("Schday"); }).find("Schday"), std::string::npos);
  EXPECT_NE(failure([&] { record.ReadBoolean("Runmissed"); }).find("Runmissed"), std::string::npos);
  EXPECT_NE(failure([&] { record.ReadBoolean("Copylan"); }).find("Copylan"), std::string::npos);
  EXPECT_NE(failure([&] { record.ReadText("Updlan"); }).find("Updlan"), std::string::npos)
      << "a value that is not a string is an error, not an empty text";

  EXPECT_EQ(record.UpdateServer(), kDefaultUpdateServer);
  record.WriteText(kUpdateServer, "  http://127.0.0.1:8080/  ");
  EXPECT_EQ(record.UpdateServer(), "http://127.0.0.1:8080/");

  record.WriteText("runupdate", "1");
  record.Close();
  EXPECT_NE(failure([&] { record.ReadText("Runupdate"); }), "no error") << "a closed record reads nothing";
  ASSERT_TRUE(record.Open(RegAccess::Read));
  EXPECT_EQ(record.ReadText("RUNUPDATE"), "1");
  EXPECT_NE(failure([&] { record.WriteText("Runupdate", "0"); }), "no error") << "opened for reading only";
}

TEST(ScheduleRecordReading, StartupCreatesADeactivatedKeyOnlyWhenMissing) {
  platform::testing::MemoryRegistry registry;
  ScheduleRecord record(registry);
  ASSERT_TRUE(record.CreateIfMissing());
  ASSERT_TRUE(record.Open(RegAccess::ReadWrite));
  std::vector<std::string> names;
  ASSERT_TRUE(OpenRawKey(registry).ValueNames(names));
  EXPECT_EQ(names, std::vector<std::string>{"ScheDeac"});
  EXPECT_TRUE(record.ReadBoolean(kScheDeac));

  record.WriteText(kScheDeac, "0");
  ASSERT_TRUE(record.CreateIfMissing());
  EXPECT_EQ(record.ReadText(kScheDeac), "0") << "an existing record is left alone";

  // Where the machine hive is read-only (a user without rights), writing is refused.
  platform::testing::MemoryRegistry readOnly;
  readOnly.SetReadOnly(RegistryRoot::LocalMachine, true);
  ScheduleRecord denied(readOnly);
  EXPECT_FALSE(denied.CreateIfMissing());
  EXPECT_FALSE(denied.KeyExists());
}

TEST(ScheduleSettingsStore, SaveWritesEveryValueAndAnotherStoreReadsItBack) {
  testsupport::TempDir dir;
  auto writerStore = testsupport::OpenTestRegistry(dir);
  ScheduleRecord writer(*writerStore);
  ASSERT_TRUE(writer.Open(RegAccess::ReadWrite, RegDisposition::CreateIfMissing));
  writer.WriteText(kRunupdate, "1");

  ScheduleSettings s;
  s.deactivated = false;
  s.type = 1;
  s.day = 6;
  s.hour = 7;
  s.runMissed = false;
  s.updateFromLan = true;
  s.lanSource = "/mnt/share with blanks/";
  s.copyToLan = true;
  s.lanTarget = "/srv/out";
  s.clock24 = false;
  s.updateServer = "https://127.0.0.1:8443/data/";
  SaveScheduleSettings(writer, s);

  // A second store on the same files stands for the shield in another process.
  auto readerStore = testsupport::OpenTestRegistry(dir);
  ScheduleRecord reader(*readerStore);
  ASSERT_TRUE(reader.Open(RegAccess::Read));
  std::vector<std::string> unreadable;
  EXPECT_EQ(LoadScheduleSettings(reader, &unreadable), s);
  EXPECT_TRUE(unreadable.empty());
  EXPECT_EQ(reader.ReadText("ScheDeac"), "0");
  EXPECT_EQ(reader.ReadText("Schtype"), "1");
  EXPECT_EQ(reader.ReadText("Schday"), "6");
  EXPECT_EQ(reader.ReadText("schetime"), "7");
  EXPECT_EQ(reader.ReadText("Runupdate"), "0") << "a saved schedule is armed";
  EXPECT_EQ(reader.ReadText("UpdInet"), "0");
  EXPECT_EQ(reader.ReadText("Updlan"), "-1");
  EXPECT_EQ(reader.ReadText("24hours"), "0");
  EXPECT_EQ(reader.ReadText("Runmissed"), "0");

  // Settings that do not fit are refused before anything is written.
  ScheduleSettings bad = s;
  bad.hour = 24;
  bad.deactivated = true;
  EXPECT_THROW(SaveScheduleSettings(writer, bad), EScheduleRecord);
  bad = s;
  bad.lanTarget = "relative";
  EXPECT_THROW(SaveScheduleSettings(writer, bad), EScheduleRecord);
  EXPECT_EQ(LoadScheduleSettings(reader), s);
}

TEST(ScheduleSettingsStore, BadOrMissingValuesLoadAsDefaultsAndABrokenHiveIsAnError) {
  testsupport::TempDir dir;
  auto store = testsupport::OpenTestRegistry(dir);
  ScheduleRecord record(*store);
  ASSERT_TRUE(record.CreateIfMissing());
  ASSERT_TRUE(record.Open(RegAccess::ReadWrite));
  record.WriteText(kSchday, "9");
  record.WriteText(kScheTime, "5");
  std::vector<std::string> unreadable;
  ScheduleSettings loaded = LoadScheduleSettings(record, &unreadable);
  EXPECT_TRUE(loaded.deactivated);
  EXPECT_EQ(loaded.hour, 5);
  EXPECT_EQ(loaded.day, ScheduleSettings{}.day);
  EXPECT_EQ(loaded.updateServer, kDefaultUpdateServer);
  EXPECT_EQ(unreadable.size(), ScheduleValues().size() - 2) << "all but ScheDeac and ScheTime";
  EXPECT_NE(std::find(unreadable.begin(), unreadable.end(), "Schday"), unreadable.end());

  // A hive that exists but cannot be read fails the read; it never looks empty.
  record.Close();
  std::string hive = dir.file("machine.reg");
  ASSERT_EQ(::unlink(hive.c_str()), 0);
  ASSERT_EQ(::mkdir(hive.c_str(), 0700), 0);
  auto broken = testsupport::OpenTestRegistry(dir);
  auto fails = [&](RegAccess access, auto use) {
    ScheduleRecord r(*broken);
    if (!r.Open(access, RegDisposition::CreateIfMissing)) return true;
    try {
      use(r);
    } catch (const EScheduleRecord&) {
      return true;
    }
    return false;
  };
  EXPECT_TRUE(fails(RegAccess::Read, [](ScheduleRecord& r) { r.ReadText(kScheDeac); }));
  EXPECT_TRUE(fails(RegAccess::ReadWrite, [](ScheduleRecord& r) { r.WriteText(kScheDeac, "1"); }));
  struct stat st {};
  ASSERT_EQ(::stat(hive.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode)) << "the unreadable hive was not replaced";
}

}  // namespace
}  // namespace vz::update
