#pragma once
// Small helpers on single-byte text shared by the platform's parsers and the
// core: case folding in ASCII only, and the blanks around a line of a text file.
// (Case-insensitive list lookups fold with the code page's table instead; see
// knowledge/UpperCase.h.)
#include <string>
#include <string_view>

namespace vz::platform {

// The text with every byte put through fold, and equality once both are
// folded: the two forms of a case-insensitive comparison, for either folding.
template <class Fold>
std::string FoldedText(std::string_view text, Fold fold) {
  std::string folded(text);
  for (char& c : folded) c = fold(c);
  return folded;
}
template <class Fold>
bool SameFoldedText(std::string_view a, std::string_view b, Fold fold) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

// a..z to A..Z; every other byte as it is.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpperText(std::string_view text);

// Equal once ASCII letters are folded; other bytes compare exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

// True when text begins with prefix, ASCII letters folded.
bool StartsWithAscii(std::string_view text, std::string_view prefix);

// Blanks and TABs removed from both ends, and the CR a CR LF line leaves at its end.
std::string_view TrimLineBlanks(std::string_view line);

}  // namespace vz::platform
