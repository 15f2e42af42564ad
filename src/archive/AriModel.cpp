#include "archive/AriModel.h"

namespace vz::archive {

void GroupAriModel::Configure(std::int32_t lowSymbol, std::int32_t highSymbol, std::int32_t maximum,
                               std::int32_t step) {
  low = lowSymbol;
  high = highSymbol;
  symbolCount = high - low + 1;
  indexCount = symbolCount + 1;
  maximumTotal = maximum;
  increment = step;
  ResetModel();
}

void GroupAriModel::ResetModel() {
  for (std::int32_t i = 0; i < symbolCount; ++i) {
    charToIndex[i] = i + 1;
    indexToChar[i + 1] = i;
  }
  indexToChar[symbolCount + 1] = 0;
  for (std::int32_t j = 0; j <= symbolCount + 1; ++j) {
    frequency[j] = 1;
    cumulative[j] = (symbolCount + 1) - j;
  }
  frequency[0] = 0;
}

HeadAriModel::HeadAriModel() {
  head.Configure(kHeadParameters.low, kHeadParameters.high, kHeadParameters.maximumTotal, kHeadParameters.increment);
  for (int g = 0; g < kGroupCount; ++g) {
    const GroupParameters& p = kGroupParameters[g];
    for (std::int32_t s = p.low; s <= p.high; ++s) symbolToGroup[s] = g;
    if (g > 1) groups[g].Configure(p.low, p.high, p.maximumTotal, p.increment);
  }
}

void HeadAriModel::Reset() {
  head.ResetModel();
  for (int g = 2; g < kGroupCount; ++g) groups[g].ResetModel();
}

}  // namespace vz::archive
