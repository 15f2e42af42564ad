// The platform's plain-text helpers fold ASCII only and trim a line's blanks:
// registry names and desktop entries must not follow the code page's folding
// of the list lookups, nor lose control characters a value may hold.
#include <gtest/gtest.h>

#include "knowledge/UpperCase.h"
#include "platform/PlainText.h"

namespace vz::platform {
namespace {

TEST(PlainText, FoldsAsciiLettersOnlyAndTrimsBlanksTabsAndTheLineEnd) {
  const std::string accented = "caf\xE9 \xFF\x9A";  // é ÿ š in the code page
  EXPECT_EQ(AsciiUpperText(accented), "CAF\xE9 \xFF\x9A");
  EXPECT_NE(AsciiUpperText(accented), knowledge::UpperCaseText(accented));
  EXPECT_TRUE(SameTextAscii("Software\\Run", "SOFTWARE\\run"));
  EXPECT_FALSE(SameTextAscii("\xE9", "\xC9"));
  EXPECT_FALSE(SameTextAscii("abc", "abcd"));
  EXPECT_TRUE(StartsWithAscii("HTTPS://x", "https://"));
  EXPECT_FALSE(StartsWithAscii("http", "http://"));

  EXPECT_EQ(TrimLineBlanks(" \t Exec=a b \t\r"), "Exec=a b");
  EXPECT_EQ(TrimLineBlanks("\rvalue\x0B"), "\rvalue\x0B");  // only a line's end loses its CR
  EXPECT_EQ(TrimLineBlanks(" \t\r"), "");
}

}  // namespace
}  // namespace vz::platform
