#pragma once
// An index of a joined list text for the one lookup every scan makes: a name
// between two TABs. It answers exactly what FindText of TAB + name + TAB from
// a start position answers, without passing over the whole text: each field
// that lies between two TABs of one line is listed once, as the hash of its
// upper-cased bytes and the position of the TAB before it, sorted; fields are
// compared in the text itself, so the index holds no copy of it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vz::knowledge {

class TabbedNameIndex {
 public:
  TabbedNameIndex() = default;
  // The keys point into the index's own copy of the text, so a copy starts
  // empty (Text() empty) and is built again by its owner.
  TabbedNameIndex(const TabbedNameIndex&) {}
  TabbedNameIndex& operator=(const TabbedNameIndex&) {
    Clear();
    return *this;
  }
  void Clear();

  // Indexes text; the text must stay unchanged while the index is used.
  void Build(std::string_view text);
  // The 1-based position of the first TAB + name + TAB at or after start
  // (case ignored), 0 when there is none: the same as FindText.
  std::size_t Find(std::string_view name, std::size_t start) const;
  // The text the index was built from.
  std::string_view Text() const { return text_; }

 private:
  // True when the field at position (1-based, of its TAB) is upperName.
  bool FieldIs(std::uint32_t position, std::string_view upperName) const;

  std::string_view text_;
  bool built_ = false;
  // hash << 32 | position for every field, sorted: the fields of one hash
  // in the order of the text.
  std::vector<std::uint64_t> fields_;
};

}  // namespace vz::knowledge
