#include "knowledge/TextList.h"

#include <algorithm>
#include <cstring>

#include "knowledge/FindText.h"

namespace vz::knowledge {

namespace {

// Calls onLine for every line of bytes (see LoadFromText).
template <typename F>
void ForEachLine(std::string_view bytes, F onLine) {
  const std::size_t n = bytes.size();
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin;
    while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    onLine(bytes.substr(begin, end - begin));
    if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ++end;
    begin = end + 1;
  }
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  std::vector<std::string> lines;
  ForEachLine(bytes, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::string_view TextList::operator[](std::size_t index) const {
  const std::size_t begin = starts_[index];
  const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
  return std::string_view(text_).substr(begin, end - begin - 2);
}

void TextList::Clear() {
  text_.clear();
  starts_.clear();
}

void TextList::Add(std::string_view line) {
  const std::size_t cut = line.find_first_of("\r\n");
  if (cut != std::string_view::npos) line = line.substr(0, cut);
  if (!text_.empty() && line.data() >= text_.data() && line.data() < text_.data() + text_.size()) {
    Add(std::string(line));  // a line of this list: copy it before the text may move
    return;
  }
  starts_.push_back(text_.size());
  text_.append(line);
  text_.append("\r\n");
}

void TextList::AddAll(const std::vector<std::string>& lines) {
  std::size_t extra = 0;
  for (const auto& line : lines) extra += line.size() + 2;
  text_.reserve(text_.size() + extra);
  starts_.reserve(starts_.size() + lines.size());
  for (const auto& line : lines) Add(line);
}

void TextList::AddAll(const TextList& other) {
  if (&other == this) {
    const TextList copy = other;
    AddAll(copy);
    return;
  }
  const std::size_t shift = text_.size();
  text_.append(other.text_);
  starts_.reserve(starts_.size() + other.starts_.size());
  for (std::size_t start : other.starts_) starts_.push_back(start + shift);
}

void TextList::RemoveAt(std::vector<std::size_t> indexes) {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  while (!indexes.empty() && indexes.back() >= Count()) indexes.pop_back();
  if (indexes.empty()) return;
  // Compacts in place: every kept line moves left over the removed ones.
  std::size_t write = starts_[indexes.front()];
  std::size_t keptLines = indexes.front();
  std::size_t next = 0;
  for (std::size_t i = indexes.front(); i < Count(); ++i) {
    if (next < indexes.size() && indexes[next] == i) {
      ++next;
      continue;
    }
    const std::size_t begin = starts_[i];
    const std::size_t end = i + 1 < Count() ? starts_[i + 1] : text_.size();
    if (write != begin) std::memmove(text_.data() + write, text_.data() + begin, end - begin);
    starts_[keptLines++] = write;
    write += end - begin;
  }
  text_.resize(write);
  starts_.resize(keptLines);
}

std::size_t TextList::LineAt(std::size_t position) const {
  // The CR LF pairs before a position are the line starts at or before it, less the first.
  if (position == 0 || starts_.empty()) return 0;
  if (position - 1 >= text_.size()) return starts_.size();  // after the last line end
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), position - 1);
  return static_cast<std::size_t>(after - starts_.begin()) - 1;
}

std::size_t TextList::FindLine(std::string_view pattern) const {
  const std::size_t found = FindText(pattern, text_, 1);
  if (found == 0) return static_cast<std::size_t>(-1);
  return LineAt(found + 1);
}

void TextList::Reserve(std::size_t moreBytes, std::size_t moreLines) {
  text_.reserve(text_.size() + moreBytes);
  starts_.reserve(starts_.size() + moreLines);
}

bool TextList::IndexJoinedText() {
  starts_.clear();
  const char* const base = text_.data();
  const std::size_t n = text_.size();
  for (std::size_t begin = 0; begin < n;) {
    const void* lf = std::memchr(base + begin, '\n', n - begin);
    if (lf == nullptr) return false;  // the last line has no end
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
    const void* cr = std::memchr(base + begin, '\r', end - begin);
    // The line's only CR must be the one right before its LF.
    if (end == begin || cr == nullptr || static_cast<const char*>(cr) - base != static_cast<std::ptrdiff_t>(end - 1))
      return false;
    starts_.push_back(begin);
    begin = end + 1;
  }
  return true;
}

void TextList::AdoptText(std::string&& bytes) {
  text_ = std::move(bytes);
  if (IndexJoinedText()) return;
  const std::string raw = std::move(text_);
  LoadFromText(std::string_view(raw));
}

void TextList::LoadFromText(std::string_view bytes) {
  Clear();
  text_.reserve(bytes.size() + bytes.size() / 16 + 2);
  ForEachLine(bytes, [this](std::string_view line) {
    starts_.push_back(text_.size());
    text_.append(line);
    text_.append("\r\n");
  });
}

}  // namespace vz::knowledge
