#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <unordered_map>

#include "knowledge/FindText.h"
#include "knowledge/KnowledgeBase.h"
#include "knowledge/TabbedNameIndex.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {
namespace {

std::size_t Reference(const std::string& name, const std::string& text, std::size_t start) {
  std::string pattern = std::string(1, '\t').append(name).append(1, '\t');
  return FindText(pattern, text, start);
}

TEST(TabbedNameIndex, AgreesWithTheSearchOnHandPickedLists) {
  const std::string text =
      "\tLeading\tfield\r\n"
      "X\tBad Tool\tbadtool.exe\tdesc\r\n"
      "X\tOther\tabc.exe\tbadtool.exe\tmore\r\n"
      "X\tCaps\tBADTOOL.EXE\t\r\n"
      "Y\t\t\t\r\n"
      "Z\tend\tlast\r\n";
  TabbedNameIndex index;
  index.Build(text);
  for (const std::string name : {"badtool.exe", "BadTool.EXE", "abc.exe", "bc.exe", "Bad Tool", "Leading", "field",
                                 "desc", "more", "last", "end", "", "\t", "a\tb", "Caps\tBADTOOL.EXE", "missing"}) {
    for (std::size_t start : {1u, 2u, 10u, 30u, 60u, 80u, 200u}) {
      EXPECT_EQ(index.Find(name, start), Reference(name, text, start)) << "'" << name << "' from " << start;
    }
  }
  // The first line's field 2 begins at the very first TAB: found from 1, not from 2.
  EXPECT_EQ(index.Find("Leading", 1), 1u);
  EXPECT_EQ(index.Find("leading", 2), 0u);
}

TEST(TabbedNameIndex, AgreesWithTheSearchOnRandomLists) {
  std::mt19937 random(7);
  const std::string alphabet = "aAbB\t.";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    int lines = 1 + static_cast<int>(random() % 12);
    for (int l = 0; l < lines; ++l) {
      int length = static_cast<int>(random() % 14);
      for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
      text += "\r\n";
    }
    TabbedNameIndex index;
    index.Build(text);
    for (int probe = 0; probe < 40; ++probe) {
      std::string name;
      int length = 1 + static_cast<int>(random() % 3);
      for (int i = 0; i < length; ++i) name += alphabet[random() % 5];  // no TAB: the indexed path
      std::size_t start = 1 + random() % (text.size() + 2);
      ASSERT_EQ(index.Find(name, start), Reference(name, text, start)) << "text '" << text << "' name '" << name << "'";
    }
  }
}

// Two names whose upper-cased bytes share a 32-bit FNV-1a hash (found by
// trying random names: the birthday bound makes a pair likely among 2^17), in a
// large list where each occurs several times, in both cases.
TEST(TabbedNameIndex, NamesThatShareAHashAreToldApart) {
  const auto fnv = [](const std::string& s) {
    std::uint32_t h = 2166136261U;
    for (char c : s) h = (h ^ static_cast<std::uint8_t>(UpperChar(c))) * 16777619U;
    return h;
  };
  std::mt19937 random(9);
  std::unordered_map<std::uint32_t, std::string> seen;
  std::string a, b;
  while (a.empty()) {
    std::string name;
    for (int i = 0; i < 10; ++i) name += static_cast<char>('A' + random() % 26);
    auto [it, inserted] = seen.emplace(fnv(name), name);
    if (!inserted && it->second != name) {
      a = it->second;
      b = name;
    }
  }
  std::string lowerA = a;
  for (char& c : lowerA) c = static_cast<char>(std::tolower(c));
  std::string text;
  for (int line = 0; line < 30000; ++line) {
    const std::string name = line % 7000 == 5 ? (line % 2 ? a : lowerA) : line % 9000 == 7 ? b : std::to_string(random());
    text += "X\tProgram\t" + name + "\tnote\r\n";
  }
  TabbedNameIndex index;
  index.Build(text);
  for (const std::string& name : {a, b, lowerA, std::string("Program"), std::string("note"), std::string("nothing")})
    for (std::size_t start : {1UL, 2UL, 5000UL, text.size() / 3, text.size() / 2, text.size() - 10, text.size() + 5})
      EXPECT_EQ(index.Find(name, start), Reference(name, text, start)) << name << " from " << start;
}

TEST(TabbedNameIndex, KnowledgeBaseRebuildsAfterTheListChanges) {
  KnowledgeBase base;
  base.SpywareList().LoadFromText("X\tOne\tone.exe\td\r\n");
  EXPECT_EQ(base.FindSpywareName("ONE.EXE", 2), 6u);
  base.SpywareList().Add("X\tTwo\ttwo.exe\td");
  EXPECT_NE(base.FindSpywareName("two.exe", 2), 0u);
  // A copy answers from its own list once the original's changes.
  KnowledgeBase copy = base;
  base.SpywareList().LoadFromText("X\tThree\tthree.exe\td\r\n");
  EXPECT_EQ(base.FindSpywareName("two.exe", 2), 0u);
  EXPECT_NE(copy.FindSpywareName("two.exe", 2), 0u);
  EXPECT_EQ(copy.FindSpywareName("three.exe", 2), 0u);
}

}  // namespace
}  // namespace vz::knowledge
