#include "knowledge/TextFields.h"

#include <algorithm>

namespace vz::knowledge {

std::size_t LineAtPosition(std::string_view joinedText, std::size_t position) {
  const std::size_t end = position == 0 ? 0 : std::min(position - 1, joinedText.size());
  std::size_t lines = 0;
  // A pair counts when its LF lies before the position.
  for (std::size_t i = 1; i < end; ++i)
    if (joinedText[i] == '\n' && joinedText[i - 1] == '\r') ++lines;
  return lines;
}

std::string GetField(std::string_view line, int n, char separator) {
  std::size_t begin = 0;
  for (int i = 1; i < n; ++i) {
    const std::size_t next = line.find(separator, begin);
    if (next == std::string_view::npos) return {};  // fewer than n fields
    begin = next + 1;
  }
  const std::size_t end = line.find(separator, begin);
  return std::string(line.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

int FieldCount(std::string_view line, char separator) {
  int count = 1;
  for (char c : line)
    if (c == separator) ++count;
  return count;
}

bool Contains(std::string_view text, std::string_view part) {
  if (text.empty() || part.empty() || text.size() < part.size()) return false;
  return text.find(part) != std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

bool IsBlank(std::string_view text) { return TrimBlanks(text).empty(); }

}  // namespace vz::knowledge
