#pragma once
// An ordered list of text lines together with its joined form (every line
// followed by CR LF), kept in step on every change. Lookups search the joined
// text with FindText and map the match back to its line.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vz::knowledge {

class TextList {
 public:
  TextList() = default;
  explicit TextList(std::vector<std::string> lines) { Assign(std::move(lines)); }

  std::size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](std::size_t index) const { return lines_[index]; }
  const std::vector<std::string>& Lines() const { return lines_; }
  // The lines joined, each followed by CR LF.
  const std::string& Text() const { return text_; }

  void Assign(std::vector<std::string> lines);
  void Clear();
  void Add(std::string line);
  void AddAll(const std::vector<std::string>& lines);
  // Removes the lines at the given indexes (any order, duplicates ignored).
  void RemoveAt(std::vector<std::size_t> indexes);

  // 0-based line holding the character at 1-based position of Text().
  std::size_t LineAt(std::size_t position) const;

  // First line containing pattern (ignoring case) or npos, searched in the joined
  // text; the match's line is the line of its second character, so patterns that
  // begin with a line's first byte still land on that line.
  std::size_t FindLine(std::string_view pattern) const;

  // Replaces the contents with the lines of a file's bytes.
  void LoadFromText(std::string_view bytes);

 private:
  void Rebuild();

  std::vector<std::string> lines_;
  std::string text_;
  std::vector<std::size_t> starts_;  // offset of each line in text_
};

// Splits bytes into lines at CR LF, LF or a lone CR; a final line needs no end.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// LineAt on a list (Part of the lookup helpers): the line of a position of its joined text.
inline std::size_t LineAt(const TextList& list, std::size_t position) { return list.LineAt(position); }

}  // namespace vz::knowledge
