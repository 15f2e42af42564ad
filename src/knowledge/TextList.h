#pragma once
// An ordered list of text lines held as its joined form (every line followed
// by CR LF) plus the offset where each line starts, so the lines and the text
// searched by FindText can never disagree. Lookups search the joined text and
// map the match back to its line. Lines never hold CR or LF.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vz::knowledge {

class TextList {
 public:
  TextList() = default;
  explicit TextList(const std::vector<std::string>& lines) { AddAll(lines); }

  std::size_t Count() const { return starts_.size(); }
  bool Empty() const { return starts_.empty(); }
  // The line without its CR LF; valid until the list changes.
  std::string_view operator[](std::size_t index) const;
  // The lines joined, each followed by CR LF.
  const std::string& Text() const { return text_; }

  void Clear();
  // A CR or LF inside a line would split it; such a line is cut there, as
  // reading it back from a file would.
  void Add(std::string_view line);
  void AddAll(const std::vector<std::string>& lines);
  void AddAll(const TextList& other);
  // Removes the lines at the given indexes (any order, duplicates ignored).
  void RemoveAt(std::vector<std::size_t> indexes);

  // 0-based line holding the character at 1-based position of Text(): the
  // number of CR LF pairs before it.
  std::size_t LineAt(std::size_t position) const;

  // First line containing pattern (ignoring case) or npos, searched in the joined
  // text; the match's line is the line of its second character, so patterns that
  // begin with a line's first byte still land on that line.
  std::size_t FindLine(std::string_view pattern) const;

  // Replaces the contents with the lines of a file's bytes: lines end at CR LF,
  // LF or a lone CR; the last line needs no end.
  void LoadFromText(std::string_view bytes);
  // The same, taking over the buffer when it is already in joined form (every
  // line ended by CR LF), which saves a copy of a large list.
  void AdoptText(std::string&& bytes);

  // Room for this many more bytes of joined text and lines.
  void Reserve(std::size_t moreBytes, std::size_t moreLines);

 private:
  // Line starts of a text in joined form; false (starts_ unusable) when it is not.
  bool IndexJoinedText();

  std::string text_;
  std::vector<std::size_t> starts_;  // offset of each line in text_
};

// The lines of a file's bytes, split as TextList::LoadFromText does.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// The line of a position of a list's joined text.
inline std::size_t LineAt(const TextList& list, std::size_t position) { return list.LineAt(position); }

}  // namespace vz::knowledge
