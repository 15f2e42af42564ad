#pragma once
// An index of a joined list text for the one lookup every scan makes: a name
// between two TABs. It answers exactly what FindText of TAB + name + TAB from
// a start position answers, without passing over the whole text: each field
// that lies between two TABs of one line is indexed once, upper-cased, with
// the position of the TAB before it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
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
  std::string_view text_;
  std::string upper_;  // the text upper-cased; the keys point into it
  // First occurrence of each field; later ones of the same field in order.
  std::unordered_map<std::string_view, std::uint32_t> first_;
  std::unordered_map<std::string_view, std::vector<std::uint32_t>> later_;
};

}  // namespace vz::knowledge
