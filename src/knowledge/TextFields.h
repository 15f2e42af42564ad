#pragma once
// The small text helpers every list lookup shares: the line of a match in a
// joined list text, TAB-separated fields counted from 1, the plain substring test.
#include <cstddef>
#include <string>
#include <string_view>

namespace vz::knowledge {

inline constexpr char kFieldSeparator = '\t';
inline constexpr std::string_view kLineEnd = "\r\n";

// 0-based line of the character at 1-based position in a text whose lines are
// ended by CR LF: the number of CR LF pairs before that position.
std::size_t LineAtPosition(std::string_view joinedText, std::size_t position);

// The n-th field (from 1) of line; empty when the line has fewer fields.
// Fields keep their blanks. n below 1 gives the first field.
std::string GetField(std::string_view line, int n, char separator = kFieldSeparator);

// Number of separators in line plus one.
int FieldCount(std::string_view line, char separator = kFieldSeparator);

// True when part occurs in text (case-sensitive); false when either is empty.
bool Contains(std::string_view text, std::string_view part);

// Blanks and control characters (everything up to the space) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

// True when the text is empty or holds only blanks and control characters.
bool IsBlank(std::string_view text);

}  // namespace vz::knowledge
