#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "knowledge/FindText.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {
namespace {

std::vector<FindTextPath> AvailablePaths() {
  std::vector<FindTextPath> paths{FindTextPath::Horspool};
  for (FindTextPath p : {FindTextPath::Sse2, FindTextPath::Avx2})
    if (IsFindTextPathAvailable(p)) paths.push_back(p);
  return paths;
}

// The plain search the fast paths must agree with: upper-case both, std::search.
std::size_t ReferenceFind(const std::string& pattern, const std::string& text, std::size_t start) {
  if (pattern.empty() || text.size() < pattern.size() || start > text.size()) return 0;
  const std::string p = UpperCaseText(pattern), t = UpperCaseText(text);
  const auto it = std::search(t.begin() + static_cast<std::ptrdiff_t>(start - 1), t.end(), p.begin(), p.end());
  return it == t.end() ? 0 : static_cast<std::size_t>(it - t.begin()) + 1;
}

TEST(UpperCaseTable, FoldsTheCodePageLettersAndNothingElse) {
  for (int c = 0; c < 256; ++c) {
    int expected = c;
    if (c >= 'a' && c <= 'z') expected = c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) expected = c - 0x20;
    if (c == 0x9A || c == 0x9C || c == 0x9E) expected = c - 0x10;
    if (c == 0xFF) expected = 0x9F;
    EXPECT_EQ(kUpperCase[c], expected) << "byte " << c;
  }
}

TEST(FindText, FindsTabNameTabIgnoringCase) {
  const std::string list = "\tCalculator\tcalc.exe\tdesc\r\nX\tEditor\tnotepad.exe\tText editor\r\n";
  const std::size_t at = FindText("\tNOTEPAD.EXE\t", list, 1);
  EXPECT_EQ(at, list.find("\tnotepad.exe\t") + 1);
  for (FindTextPath path : AvailablePaths()) EXPECT_EQ(FindTextUsing(path, "\tNOTEPAD.EXE\t", list, 1), at);
}

TEST(FindText, StartPositionSkipsEarlierOccurrences) {
  const std::string text = "xxABABxx";  // occurrences at 3 and 5
  for (FindTextPath path : AvailablePaths()) {
    EXPECT_EQ(FindTextUsing(path, "ab", text, 1), 3u);
    EXPECT_EQ(FindTextUsing(path, "ab", text, 3), 3u);
    EXPECT_EQ(FindTextUsing(path, "ab", text, 4), 5u);
    EXPECT_EQ(FindTextUsing(path, "ab", text, 5), 5u);
    EXPECT_EQ(FindTextUsing(path, "ab", text, 6), 0u);
    EXPECT_EQ(FindTextUsing(path, "ab", text, 50), 0u);
  }
}

TEST(FindText, EmptyOrOversizedPatternFindsNothing) {
  EXPECT_EQ(FindText("", "abc", 1), 0u);
  EXPECT_EQ(FindText("abcd", "abc", 1), 0u);
  EXPECT_EQ(FindText("a", "", 1), 0u);
  EXPECT_EQ(FindText("abc", "abc", 1), 1u);
  EXPECT_EQ(FindText("abc", "abc", 2), 0u);
}

TEST(FindText, FoldsAccentedLettersThroughTheTable) {
  EXPECT_EQ(FindText("\xC9" "COLE", "une \xE9" "cole", 1), 5u);   // É / é
  EXPECT_EQ(FindText("\x8A\x8C\x8E", "-\x9A\x9C\x9E", 1), 2u);    // Š Œ Ž / š œ ž
  EXPECT_EQ(FindText("\x9F", "\xFF", 1), 1u);                     // Ÿ / ÿ
  EXPECT_EQ(FindText("\xD7", "\xF7", 1), 0u);                     // × and ÷ are not a pair
  EXPECT_EQ(FindText("\xDF", "\xFF", 1), 0u);                     // ß has no capital here
}

TEST(FindText, MatchAtTheVeryEndOnEveryPath) {
  for (std::size_t length : {3u, 40u, 63u, 64u, 65u, 100u, 1000u, 4097u}) {
    std::string text(length - 3, 'e');
    text += "Tab";
    for (FindTextPath path : AvailablePaths()) {
      EXPECT_EQ(FindTextUsing(path, "TAB", text, 1), length - 2) << length;
      EXPECT_EQ(FindTextUsing(path, "TABX", text, 1), 0u) << length;
    }
    EXPECT_EQ(FindText("tab", text, 1), length - 2);
  }
}

// Random texts and patterns over a small alphabet give many partial matches, which
// is where a wrong skip entry or a missed candidate of the vector filter shows.
TEST(FindText, AgreesWithPlainSearchOnRandomInputs) {
  const std::string alphabet = "aAbB\t\r\n\xE9\xC9";
  std::mt19937 random(20240611);
  auto pick = [&](std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s += alphabet[random() % alphabet.size()];
    return s;
  };
  const auto paths = AvailablePaths();
  for (int round = 0; round < 20000; ++round) {
    const std::string text = pick(random() % 300);
    std::string pattern;
    if (!text.empty() && random() % 2 == 0) {
      // A piece of the text, with its case changed, so most rounds do match.
      const std::size_t from = random() % text.size();
      pattern = text.substr(from, 1 + random() % 12);
      for (char& c : pattern)
        if (random() % 2) c = static_cast<char>(kUpperCase[static_cast<unsigned char>(c)]);
    } else {
      pattern = pick(1 + random() % 6);
    }
    const std::size_t start = 1 + random() % (text.size() / 2 + 2);
    const std::size_t expected = ReferenceFind(pattern, text, start);
    for (FindTextPath path : paths)
      ASSERT_EQ(FindTextUsing(path, pattern, text, start), expected)
          << "path " << static_cast<int>(path) << " round " << round << " start " << start;
    ASSERT_EQ(FindText(pattern, text, start), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace vz::knowledge
