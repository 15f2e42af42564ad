#include "knowledge/UpperCase.h"

#include "platform/PlainText.h"

namespace vz::knowledge {

namespace {
// A type of its own, so that the folding loop is inlined with the table.
constexpr auto kUpperChar = [](char c) { return UpperChar(c); };
}  // namespace

std::string UpperCaseText(std::string_view text) { return platform::FoldedText(text, kUpperChar); }

bool SameTextIgnoringCase(std::string_view a, std::string_view b) { return platform::SameFoldedText(a, b, kUpperChar); }

}  // namespace vz::knowledge
