#include "knowledge/TabbedNameIndex.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "knowledge/FindText.h"
#include "knowledge/UpperCase.h"

namespace vz::knowledge {

namespace {

constexpr std::uint32_t kHashSeed = 2166136261U;
constexpr std::uint32_t kHashPrime = 16777619U;

// FNV-1a over the upper-cased bytes.
std::uint32_t UpperHash(std::string_view bytes) {
  std::uint32_t h = kHashSeed;
  for (const char c : bytes) h = (h ^ kUpperCase[static_cast<std::uint8_t>(c)]) * kHashPrime;
  return h;
}

// Sorts by the high 32 bits, keeping the order of equal ones (two passes of
// a 16-bit radix sort).
void SortByHash(std::vector<std::uint64_t>& items) {
  std::vector<std::uint64_t> other(items.size());
  std::vector<std::uint32_t> starts(65536);
  for (const int shift : {32, 48}) {
    std::fill(starts.begin(), starts.end(), 0);
    for (const std::uint64_t v : items) ++starts[(v >> shift) & 0xFFFF];
    std::uint32_t sum = 0;
    for (std::uint32_t& s : starts) sum += std::exchange(s, sum);
    for (const std::uint64_t v : items) other[starts[(v >> shift) & 0xFFFF]++] = v;
    items.swap(other);
  }
}

constexpr std::uint64_t kPositionBits = 0xFFFFFFFFU;

}  // namespace

void TabbedNameIndex::Clear() {
  text_ = std::string_view();
  built_ = false;
  fields_.clear();
  fields_.shrink_to_fit();
}

bool TabbedNameIndex::FieldIs(std::uint32_t position, std::string_view upperName) const {
  // The field begins after its TAB (position is that TAB's, 1-based) and
  // ends at the next TAB; it holds no TAB, and neither does the name.
  const std::size_t begin = position;
  if (begin + upperName.size() >= text_.size()) return false;
  const char* field = text_.data() + begin;
  for (std::size_t i = 0; i < upperName.size(); ++i)
    if (static_cast<char>(kUpperCase[static_cast<std::uint8_t>(field[i])]) != upperName[i]) return false;
  return field[upperName.size()] == '\t';
}

void TabbedNameIndex::Build(std::string_view text) {
  Clear();
  text_ = text;
  if (text.size() > UINT32_MAX) return;  // Find searches such a text itself
  built_ = true;
  fields_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\t')));
  const char* const base = text.data();
  const char* const end = base + text.size();
  const char* tab = static_cast<const char*>(std::memchr(base, '\t', text.size()));
  while (tab != nullptr) {
    // Hashes the field up to the next TAB; a field holding a line end spans
    // two lines, and no name without one matches it.
    std::uint32_t h = kHashSeed;
    const char* p = tab + 1;
    bool oneLine = true;
    for (; p < end && *p != '\t'; ++p) {
      if (*p == '\r' || *p == '\n') {
        oneLine = false;
        p = static_cast<const char*>(std::memchr(p, '\t', static_cast<std::size_t>(end - p)));
        break;
      }
      h = (h ^ kUpperCase[static_cast<std::uint8_t>(*p)]) * kHashPrime;
    }
    if (p == nullptr || p == end) break;  // no TAB after it
    if (oneLine && p > tab + 1)
      fields_.push_back((std::uint64_t{h} << 32) | static_cast<std::uint32_t>(tab - base + 1));
    tab = p;
  }
  SortByHash(fields_);
}

std::size_t TabbedNameIndex::Find(std::string_view name, std::size_t start) const {
  // Names the index cannot answer for go through the plain search.
  if (name.empty() || name.find_first_of("\t\r\n") != std::string_view::npos || !built_) {
    std::string pattern(1, '\t');
    pattern.append(name).push_back('\t');
    return FindText(pattern, text_, start);
  }
  const std::string key = UpperCaseText(name);
  const std::uint64_t hash = UpperHash(key);
  // The fields of this hash at or after start, in the order of the text;
  // another field may share the hash.
  const std::uint64_t from = (hash << 32) | std::min<std::size_t>(start, kPositionBits);
  for (auto it = std::lower_bound(fields_.begin(), fields_.end(), from); it != fields_.end() && (*it >> 32) == hash;
       ++it) {
    const auto position = static_cast<std::uint32_t>(*it & kPositionBits);
    if (FieldIs(position, key)) return position;
  }
  return 0;
}

}  // namespace vz::knowledge
