// The hive text format and the in-memory hive, on strings: no files.
#include <gtest/gtest.h>

#include "platform/HiveText.h"
#include "platform/RegistryHive.h"

namespace vz::platform {
namespace {

const RegValue* Find(const Hive& hive, const std::string& key, const std::string& name) {
  const HiveKey* k = hive.FindKey(key);
  const HiveValue* v = k ? k->Find(name) : nullptr;
  return v ? &v->value : nullptr;
}

TEST(HiveText, EveryValueTypeSurvivesFormatAndParse) {
  Hive hive;
  HiveKey& key = hive.CreateKey("Software\\Ornavex\\1.0");
  hive.SetValue(key, "ScheDeac", RegValue::String("1"));
  hive.SetValue(key, "Quote\"Back\\slash", RegValue::String("C:\\Program Files\\\"x\""));
  hive.SetValue(key, "Lines", RegValue::String("one\r\ntwo"));  // not quotable: stored as hex(1)
  hive.SetValue(key, "", RegValue::String("default"));
  hive.SetValue(key, "Path", RegValue::ExpandString("%SystemRoot%\\bin"));
  hive.SetValue(key, "Count", RegValue::Dword(0xA));
  hive.SetValue(key, "Big", RegValue::Qword(0x1122334455667788ull));
  hive.SetValue(key, "Raw", RegValue::Binary(std::string(100, '\xAB')));  // wraps over lines
  hive.SetValue(key, "List", RegValue::MultiString({"a", "bc"}));
  hive.SetValue(key, "Odd", RegValue{static_cast<RegType>(0x1234), "xyz"});
  hive.CreateKey("Software\\Empty");

  std::string text = FormatHiveText(hive, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Ornavex\\1.0]\n"), std::string::npos);
  EXPECT_NE(text.find("\"ScheDeac\"=\"1\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Count\"=dword:0000000a\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);

  Hive back;
  HiveParseResult result = ParseHiveText(text, "HKEY_LOCAL_MACHINE", back);
  EXPECT_FALSE(result.damaged) << "line " << result.firstBadLine;
  const HiveKey* original = hive.FindKey("Software\\Ornavex\\1.0");
  const HiveKey* loaded = back.FindKey("SOFTWARE\\ORNAVEX\\1.0");
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->values.size(), original->values.size());
  for (std::size_t i = 0; i < original->values.size(); ++i) {
    EXPECT_EQ(loaded->values[i].name, original->values[i].name);
    EXPECT_EQ(loaded->values[i].value, original->values[i].value) << original->values[i].name;
  }
  EXPECT_NE(back.FindKey("software\\empty"), nullptr);
  // Write serials come back too, so watchers compare like with like.
  EXPECT_EQ(loaded->lastWrite, original->lastWrite);
  EXPECT_EQ(back.Serial(), hive.Serial());
}

TEST(HiveText, ReadsWhatOtherWritersOfTheFormatProduce) {
  std::string text =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\microsoft\\internet explorer\\Main]\r\n"
      "\"Start Page\"=\"http://example.org/\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03, 04\r\n"
      "\"Exp\"=hex(2):25,00\r\n"
      "\"Gone\"=-\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Removed]\r\n"
      "; a comment\r\n";
  Hive hive;
  HiveParseResult result = ParseHiveText(text, "HKEY_CURRENT_USER", hive);
  EXPECT_FALSE(result.damaged) << "line " << result.firstBadLine;
  EXPECT_EQ(Find(hive, "Software\\Microsoft\\Internet Explorer\\Main", "start page")->data, "http://example.org/");
  EXPECT_EQ(Find(hive, "Software\\Microsoft\\Internet Explorer\\Main", "Blob")->data, std::string("\1\2\3\4", 4));
  const RegValue* exp = Find(hive, "Software\\Microsoft\\Internet Explorer\\Main", "Exp");
  EXPECT_EQ(exp->type, RegType::ExpandString);
  EXPECT_EQ(exp->data, "%");
  EXPECT_EQ(Find(hive, "Software\\Microsoft\\Internet Explorer\\Main", "Gone"), nullptr);
  EXPECT_EQ(hive.FindKey("Software\\Removed"), nullptr);
  // Ancestors of a key exist even without their own header.
  EXPECT_NE(hive.FindKey("Software\\Microsoft"), nullptr);
}

TEST(HiveText, DamagedTextKeepsEveryWellFormedKeyAndValue) {
  std::string text =
      "REGEDIT5\n"                                   // wrong header
      "\"Orphan\"=\"before any key\"\n"               // no key yet
      "[HKEY_LOCAL_MACHINE\\Software\\Good]\n"
      "\"A\"=\"1\"\n"
      "\"Broken=\"2\n"                               // unterminated name
      "\"B\"=dword:123456789\n"                      // too many digits
      "\"C\"=hex:0g\n"                               // not hex
      "\"D\"=hex:01,\\\n"                            // continuation that never comes...
      "[HKEY_LOCAL_MACHINE\\Software\\Good\\Sub]\n"  // ...is not swallowed
      "\"E\"=\"5\"\n"
      "[HKEY_CURRENT_USER\\Software\\Wrong]\n"       // another root's key
      "\"F\"=\"6\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Good\n"        // no closing bracket
      "\"G\"=\"7\"\n"
      "garbage \x01\x02\xff\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Late]\n"
      "\"H\"=dword:00000007";                        // no final newline
  Hive hive;
  HiveParseResult result = ParseHiveText(text, "HKEY_LOCAL_MACHINE", hive);
  EXPECT_TRUE(result.damaged);
  EXPECT_EQ(result.firstBadLine, 1u);
  EXPECT_EQ(Find(hive, "Software\\Good", "A")->data, "1");
  EXPECT_EQ(Find(hive, "Software\\Good\\Sub", "E")->data, "5");
  std::uint32_t h = 0;
  ASSERT_NE(Find(hive, "Software\\Late", "H"), nullptr);
  EXPECT_TRUE(Find(hive, "Software\\Late", "H")->AsDword(h));
  EXPECT_EQ(h, 7u);
  for (const char* gone : {"Orphan", "B", "C", "D", "F", "G"}) {
    EXPECT_EQ(Find(hive, "Software\\Good", gone), nullptr) << gone;
    EXPECT_EQ(Find(hive, "Software\\Good\\Sub", gone), nullptr) << gone;
  }
  EXPECT_EQ(hive.FindKey("Software\\Wrong"), nullptr);
  EXPECT_EQ(hive.ValueCount(), 3u);
}

TEST(Hive, NamesCompareWithoutCaseAndKeepTheirFirstSpellingAndPosition) {
  Hive hive;
  HiveKey& key = hive.CreateKey("Software\\Ornavex");
  hive.SetValue(key, "ScheTime", RegValue::String("10"));
  hive.SetValue(key, "Runupdate", RegValue::String("0"));
  hive.SetValue(key, "Schday", RegValue::String("2"));
  hive.SetValue(key, "schetime", RegValue::String("11"));  // replaces, keeps name and position
  ASSERT_EQ(key.values.size(), 3u);
  EXPECT_EQ(key.values[0].name, "ScheTime");
  EXPECT_EQ(key.values[0].value.data, "11");
  EXPECT_TRUE(hive.DeleteValue(key, "RUNUPDATE"));
  EXPECT_FALSE(hive.DeleteValue(key, "Runupdate"));
  EXPECT_EQ(key.Find("SCHDAY")->value.data, "2");  // the index follows the removal
  EXPECT_EQ(key.values[1].name, "Schday");

  hive.CreateKey("Software\\Ornavex\\1.0\\Deep");
  hive.CreateKey("Software\\Other");
  EXPECT_EQ(hive.SubKeyNames("SOFTWARE"), (std::vector<std::string>{"Ornavex", "Other"}));
  EXPECT_TRUE(hive.DeleteKey("software\\ornavex"));
  EXPECT_EQ(hive.FindKey("Software\\Ornavex\\1.0\\Deep"), nullptr);
  EXPECT_NE(hive.FindKey("Software\\Other"), nullptr);
}

TEST(Hive, SnapshotsSeeRewritesNewKeysAndHonourTheFilter) {
  Hive hive;
  HiveKey& watched = hive.CreateKey("Software\\Watched");
  hive.SetValue(watched, "v", RegValue::String("1"));
  HiveSnapshot before = hive.Snapshot("Software\\Watched");

  HiveKey& other = hive.CreateKey("Software\\WatchedNot");  // a sibling that shares the prefix
  hive.SetValue(other, "v", RegValue::String("1"));
  EXPECT_FALSE(SnapshotChanged(before, hive.Snapshot("Software\\Watched"), kRegNotifyDefaultFilter));

  hive.SetValue(watched, "v", RegValue::String("1"));  // same data
  EXPECT_TRUE(SnapshotChanged(before, hive.Snapshot("Software\\Watched"), kNotifyChangeLastSet));
  EXPECT_FALSE(SnapshotChanged(before, hive.Snapshot("Software\\Watched"), kNotifyChangeName));

  before = hive.Snapshot("Software\\Watched");
  hive.CreateKey("Software\\Watched\\Sub");
  EXPECT_TRUE(SnapshotChanged(before, hive.Snapshot("Software\\Watched"), kNotifyChangeName));
  EXPECT_FALSE(SnapshotChanged(before, hive.Snapshot("Software\\Watched"), kNotifyChangeLastSet));
}

TEST(RegistryNames, PathsNormaliseAndValuesConvert) {
  std::string path;
  ASSERT_TRUE(NormalizeKeyPath("\\Software\\\\Ornavex\\1.0\\", path));
  EXPECT_EQ(path, "Software\\Ornavex\\1.0");
  EXPECT_FALSE(NormalizeKeyPath("Soft\nware", path));
  EXPECT_EQ(RegUpper("Start Page"), "START PAGE");

  std::uint32_t n = 0;
  EXPECT_TRUE(RegValue::Dword(0x01020304).AsDword(n));
  EXPECT_EQ(n, 0x01020304u);
  EXPECT_FALSE(RegValue::Binary("abcd").AsDword(n));
  EXPECT_EQ(RegValue::MultiString({"a", "bc"}).AsMultiString(), (std::vector<std::string>{"a", "bc"}));
  EXPECT_EQ(RegValue::String("abc").DataSize(), 4u);
  EXPECT_EQ(RegStatus(kRegAccessDenied).Text(), "Access is denied.");
}

}  // namespace
}  // namespace vz::platform
