#include <gtest/gtest.h>

#include "TextListLines.h"

#include "knowledge/FindText.h"
#include "knowledge/NameList.h"
#include "knowledge/TextFields.h"
#include "knowledge/TextList.h"

namespace vz::knowledge {
namespace {

TEST(Fields, GetFieldAndFieldCount) {
  const std::string line = "one\ttwo\tthree";
  EXPECT_EQ(GetField(line, 1), "one");
  EXPECT_EQ(GetField(line, 2), "two");
  EXPECT_EQ(GetField(line, 3), "three");
  EXPECT_EQ(GetField(line, 4), "");
  EXPECT_EQ(FieldCount(line), 3);
  // Empty fields count, blanks are kept, a trailing separator opens an empty field.
  EXPECT_EQ(GetField("\t\t exe \t", 3), " exe ");
  EXPECT_EQ(FieldCount("\t\t exe \t"), 4);
  EXPECT_EQ(GetField("", 1), "");
  EXPECT_EQ(FieldCount(""), 1);
  EXPECT_EQ(GetField("a,b", 2, ','), "b");
}

TEST(Fields, ContainsIsPlainAndGuarded) {
  EXPECT_TRUE(Contains("EXPLORER.EXE\r\nREGEDIT.EXE\r\n", "PLORER.EXE"));
  EXPECT_FALSE(Contains("EXPLORER.EXE", "explorer.exe"));  // case-sensitive
  EXPECT_FALSE(Contains("", "a"));
  EXPECT_FALSE(Contains("a", ""));
  EXPECT_FALSE(Contains("ab", "abc"));
}

TEST(Fields, LineAtCountsLineEndsBeforeThePosition) {
  const std::string text = "ab\r\ncd\r\n\r\nef\r\n";
  EXPECT_EQ(LineAtPosition(text, 1), 0u);
  EXPECT_EQ(LineAtPosition(text, 3), 0u);  // the CR of line 0
  EXPECT_EQ(LineAtPosition(text, 4), 0u);  // its LF
  EXPECT_EQ(LineAtPosition(text, 5), 1u);
  EXPECT_EQ(LineAtPosition(text, 9), 2u);  // the empty line
  EXPECT_EQ(LineAtPosition(text, 11), 3u);
  TextList list(SplitTextLines(text));
  ASSERT_EQ(list.Text(), text);
  for (std::size_t p = 1; p <= text.size() + 2; ++p) EXPECT_EQ(list.LineAt(p), LineAtPosition(text, p)) << p;
}

TEST(Fields, FirstMatchMayLieInsideALongerNameOnAnotherLine) {
  TextList list({"X\tHelper\tmynotepad.exe\tbundled helper", "\tEditor\tnotepad.exe\tText editor"});
  // The bare name first matches inside "mynotepad.exe" on line 0 ...
  const std::size_t bare = FindText("notepad.exe", list.Text(), 1);
  EXPECT_EQ(list.LineAt(bare + 1), 0u);
  EXPECT_EQ(GetField(list[list.LineAt(bare + 1)], 3), "mynotepad.exe");
  // ... while TAB, name, TAB reaches the entry itself.
  const std::size_t exact = FindText("\tNOTEPAD.EXE\t", list.Text(), 1);
  EXPECT_EQ(list.LineAt(exact + 1), 1u);
  EXPECT_EQ(list.FindLine("\tNotePad.exe\t"), 1u);
  EXPECT_EQ(list.FindLine("\tnotepad2.exe\t"), static_cast<std::size_t>(-1));
  // A match on the first byte of a line is mapped to that line, not the one above.
  EXPECT_EQ(list.FindLine("\tEditor"), 1u);
}

TEST(TextListTest, SplitsEveryLineEndAndKeepsTheJoinedTextInStep) {
  EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines("\n\n"), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(SplitTextLines("").empty());

  TextList list;
  list.LoadFromText("zero\r\none\r\ntwo\r\nthree");
  list.Add("four");
  EXPECT_EQ(list.Text(), "zero\r\none\r\ntwo\r\nthree\r\nfour\r\n");
  list.RemoveAt({3, 1, 3});
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"zero", "two", "four"}));
  EXPECT_EQ(list.Text(), "zero\r\ntwo\r\nfour\r\n");
  EXPECT_EQ(list.FindLine("FOUR"), 2u);
  list.AddAll({"five", "six"});
  EXPECT_EQ(list.FindLine("six"), 4u);
  list.Clear();
  EXPECT_EQ(list.Text(), "");
  EXPECT_EQ(list.FindLine("six"), static_cast<std::size_t>(-1));
}

TEST(TextListTest, AdoptsJoinedTextAndNormalisesAnyOther) {
  for (const std::string bytes : {"a\r\nb\r\n", "a\r\nb", "a\nb\n", "a\r\rb\r\n", "a\r\n\nb\r\n", "\r\n", ""}) {
    TextList adopted, copied;
    adopted.AdoptText(std::string(bytes));
    copied.LoadFromText(bytes);
    EXPECT_EQ(adopted.Text(), copied.Text()) << bytes;
    EXPECT_EQ(LinesOf(adopted), SplitTextLines(bytes)) << bytes;
  }
}

TEST(TextListTest, EditsKeepLinesAndTextInStep) {
  TextList list({"zero", "one", "two", "three", "four"});
  list.RemoveAt({0, 4, 2, 9});  // an index past the end is ignored
  EXPECT_EQ(LinesOf(list), (std::vector<std::string>{"one", "three"}));
  EXPECT_EQ(list.Text(), "one\r\nthree\r\n");
  EXPECT_EQ(list.LineAt(6), 1u);
  for (int i = 0; i < 40; ++i) list.Add(list[0]);  // its own line, while the text grows
  EXPECT_EQ(list.Count(), 42u);
  EXPECT_EQ(list[41], "one");
  list.AddAll(list);
  EXPECT_EQ(list.Count(), 84u);
  EXPECT_EQ(list[43], "three");
  list.Add("cut\r\nhere");  // a line never holds a line end
  EXPECT_EQ(list[84], "cut");
  EXPECT_EQ(list.Text().size(), 2u * (41 * 5 + 7) + 5);
  EXPECT_EQ(list.FindLine("CUT"), 84u);
}

TEST(NameListTest, SubstringTestIgnoringCase) {
  NameList names;
  names.Assign({"Explorer.exe", "regedit.exe"});
  EXPECT_EQ(names.UpperText(), "EXPLORER.EXE\r\nREGEDIT.EXE\r\n");
  EXPECT_TRUE(names.ContainsName("plorer.exe"));  // a substring counts
  EXPECT_TRUE(names.ContainsName("REGEDIT.EXE"));
  EXPECT_FALSE(names.ContainsName("notepad.exe"));
  EXPECT_FALSE(names.ContainsName(""));
}

}  // namespace
}  // namespace vz::knowledge
