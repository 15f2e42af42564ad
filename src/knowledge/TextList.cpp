#include "knowledge/TextList.h"

#include <algorithm>

#include "knowledge/FindText.h"

namespace vz::knowledge {

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  std::vector<std::string> lines;
  const std::size_t n = bytes.size();
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin;
    while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    lines.emplace_back(bytes.substr(begin, end - begin));
    if (end < n && bytes[end] == '\r') {
      ++end;
      if (end < n && bytes[end] == '\n') ++end;
    } else if (end < n) {
      ++end;  // a bare LF
    }
    begin = end;
  }
  return lines;
}

void TextList::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Rebuild();
}

void TextList::Clear() {
  lines_.clear();
  text_.clear();
  starts_.clear();
}

void TextList::Add(std::string line) {
  starts_.push_back(text_.size());
  text_ += line;
  text_ += "\r\n";
  lines_.push_back(std::move(line));
}

void TextList::AddAll(const std::vector<std::string>& lines) {
  std::size_t extra = 0;
  for (const auto& line : lines) extra += line.size() + 2;
  text_.reserve(text_.size() + extra);
  lines_.reserve(lines_.size() + lines.size());
  for (const auto& line : lines) Add(line);
}

void TextList::RemoveAt(std::vector<std::size_t> indexes) {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  if (indexes.empty()) return;
  std::vector<std::string> kept;
  kept.reserve(lines_.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (next < indexes.size() && indexes[next] == i) {
      ++next;
      continue;
    }
    kept.push_back(std::move(lines_[i]));
  }
  Assign(std::move(kept));
}

std::size_t TextList::LineAt(std::size_t position) const {
  // Lines hold no CR or LF, so the CR LF pairs before a position are the line
  // starts at or before it, less the first.
  if (position == 0 || starts_.empty()) return 0;
  if (position - 1 >= text_.size()) return lines_.size();  // after the last line end
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position - 1);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::size_t TextList::FindLine(std::string_view pattern) const {
  const std::size_t found = FindText(pattern, text_, 1);
  if (found == 0) return static_cast<std::size_t>(-1);
  return LineAt(found + 1);
}

void TextList::LoadFromText(std::string_view bytes) { Assign(SplitTextLines(bytes)); }

void TextList::Rebuild() {
  std::size_t total = 0;
  for (const auto& line : lines_) total += line.size() + 2;
  text_.clear();
  text_.reserve(total);
  starts_.clear();
  starts_.reserve(lines_.size());
  for (const auto& line : lines_) {
    starts_.push_back(text_.size());
    text_ += line;
    text_ += "\r\n";
  }
}

}  // namespace vz::knowledge
