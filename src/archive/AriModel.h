#pragma once
// The adaptive frequency models of the structured arithmetic coder: one model
// per symbol group, addressed through frequency-ordered indices, and the head
// model that picks one of nine groups. Shared by the decoder and the encoder.
#include <array>
#include <cstdint>

namespace vz::archive {

inline constexpr int kEndOfBlockSymbol = 257;
inline constexpr int kGroupCount = 9;
inline constexpr int kModelSlots = 301;

class GroupAriModel {
 public:
  void Configure(std::int32_t low, std::int32_t high, std::int32_t maximumTotal, std::int32_t increment);
  void ResetModel();
  void UpdateModel(std::int32_t index);

  std::int32_t symbolCount = 0;
  std::int32_t indexCount = 0;
  std::int32_t maximumTotal = 0;
  std::int32_t increment = 0;
  std::array<std::int32_t, kModelSlots> charToIndex{};
  std::array<std::int32_t, kModelSlots> indexToChar{};
  std::int32_t low = 0;
  std::int32_t high = 0;
  std::array<std::int32_t, kModelSlots> frequency{};
  // cumulative[k] = sum of frequency[j] for j > k; cumulative[0] is the total.
  std::array<std::int32_t, kModelSlots> cumulative{};
};

struct GroupParameters {
  std::int32_t low, high, maximumTotal, increment;
};

// Head model first, then groups 0..8 (groups 0 and 1 hold one symbol and have no model).
inline constexpr GroupParameters kHeadParameters{0, 8, 4096, 32};
inline constexpr std::array<GroupParameters, kGroupCount> kGroupParameters{{
    {0, 0, 0, 0},
    {1, 1, 0, 0},
    {2, 3, 256, 1},
    {4, 7, 256, 1},
    {8, 15, 128, 1},
    {16, 31, 1024, 1},
    {32, 63, 2048, 1},
    {64, 127, 4096, 1},
    {128, 257, 8192, 1},
}};

class HeadAriModel {
 public:
  HeadAriModel();
  // Every model back to its initial state.
  void Reset();

  std::array<std::int32_t, kModelSlots> symbolToGroup{};
  GroupAriModel head;
  std::array<GroupAriModel, kGroupCount> groups;  // entries 2..8 used
};

inline void GroupAriModel::UpdateModel(std::int32_t i) {
  if (cumulative[0] >= maximumTotal) {
    std::int32_t running = 0;
    for (std::int32_t k = symbolCount + 1; k >= 0; --k) {
      frequency[k] = (frequency[k] + 1) / 2;
      cumulative[k] = running;
      running += frequency[k];
    }
  }
  std::int32_t j = i;
  while (frequency[j] == frequency[j - 1]) --j;
  if (j < i) {
    std::int32_t charI = indexToChar[i];
    std::int32_t charJ = indexToChar[j];
    indexToChar[i] = charJ;
    indexToChar[j] = charI;
    charToIndex[charI] = j;
    charToIndex[charJ] = i;
  }
  frequency[j] += increment;
  for (std::int32_t k = 0; k < j; ++k) cumulative[k] += increment;
}

}  // namespace vz::archive
