#pragma once
// FindText: the case-insensitive substring search every list lookup uses. The
// lists are searched as one joined text; positions are 1-based, 0 = not found.
//
// The reference algorithm is a Boyer-Moore-Horspool search on upper-cased bytes.
// Long texts go through a SIMD pre-filter instead (two pattern bytes compared,
// in both cases, against 16 or 32 text positions at once, then the whole pattern
// verified); it reports the same first occurrence, since both find the leftmost
// match at or after the start position.
#include <cstddef>
#include <string_view>

namespace vz::knowledge {

// Position (1-based) of the first occurrence of pattern in text that begins at
// or after start, ignoring case; 0 when there is none, when the pattern is empty
// or longer than the text. start must be 1 or more.
std::size_t FindText(std::string_view pattern, std::string_view text, std::size_t start = 1);

// The search paths, selectable for tests and benchmarks.
enum class FindTextPath { Horspool, Sse2, Avx2 };

// The path FindText takes for long texts on this machine.
FindTextPath BestFindTextPath();
bool IsFindTextPathAvailable(FindTextPath path);
// FindText through one path regardless of the text length. A path this
// machine lacks falls back to the best available one.
std::size_t FindTextUsing(FindTextPath path, std::string_view pattern, std::string_view text, std::size_t start = 1);

}  // namespace vz::knowledge
