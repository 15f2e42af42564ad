#include "archive/FastBlockDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "archive/ArchiveErrors.h"
#include "archive/RankDecoder.h"

namespace vz::archive {

namespace {

// Move-to-front output straight into the last column, skipping the gap.
class ColumnWriter {
 public:
  ColumnWriter(std::uint8_t* L, std::int32_t s, std::int32_t* counts) : L_(L), s_(s), counts_(counts) {
    for (int i = 0; i < 256; ++i) table_[i] = static_cast<std::uint8_t>(i);
  }
  void Rank(std::int32_t rank) {
    const std::uint8_t v = table_[rank];
    if (rank < 16) {
      for (std::int32_t k = rank; k > 0; --k) table_[k] = table_[k - 1];
    } else {
      std::memmove(table_ + 1, table_, static_cast<size_t>(rank));
    }
    table_[0] = v;
    L_[count_ < s_ ? count_ : count_ + 1] = v;
    ++counts_[v + 1];
    ++count_;
  }
  void ZeroRun(std::int32_t run) {
    const std::uint8_t v = table_[0];
    counts_[v + 1] += run;
    std::int32_t before = std::clamp(s_ - count_, 0, run);  // bytes before the gap
    std::memset(L_ + count_, v, static_cast<size_t>(before));
    std::memset(L_ + count_ + before + (before < run ? 1 : 0), v, static_cast<size_t>(run - before));
    count_ += run;
  }
  std::int32_t Count() const { return count_; }

 private:
  std::uint8_t table_[256];
  std::uint8_t* L_;
  std::int32_t s_;
  std::int32_t* counts_;
  std::int32_t count_ = 0;
};

}  // namespace

LastColumn DecodeLastColumn(const std::uint8_t* payload, std::int32_t size, std::int32_t s, std::int32_t maxLength,
                            std::uint8_t* L, std::int32_t* counts) {
  std::fill(counts, counts + 257, 0);
  counts[0] = 1;
  ColumnWriter column(L, s, counts);
  const std::int64_t taken = DecodeRanks(payload, size, maxLength, column);
  LastColumn result;
  result.n = column.Count();
  if (s > result.n) throw BlockDamaged("Damaged block: index out of range.");
  L[s] = 0;
  result.payloadBytesTaken = static_cast<std::int32_t>(std::min<std::int64_t>(taken, size));
  return result;
}

}  // namespace vz::archive
