#include "platform/PlainText.h"

namespace vz::platform {

namespace {
// A type of its own, so that each folding gets its own inlined loop.
constexpr auto kAsciiUpper = [](char c) { return AsciiUpper(c); };
}  // namespace

std::string AsciiUpperText(std::string_view text) { return FoldedText(text, kAsciiUpper); }

bool SameTextAscii(std::string_view a, std::string_view b) { return SameFoldedText(a, b, kAsciiUpper); }

bool StartsWithAscii(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimLineBlanks(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

}  // namespace vz::platform
