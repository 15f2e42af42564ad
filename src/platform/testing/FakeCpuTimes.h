#pragma once
// CPU numbers the test sets; `fail` makes the next reads fail.
#include "platform/CpuTimes.h"

namespace vz::platform::testing {

class FakeCpuTimes final : public CpuTimes {
 public:
  CpuTimesSample next{2, 0, 0};
  bool fail = false;
  int reads = 0;

  bool Read(CpuTimesSample& sample) override {
    ++reads;
    if (fail) return false;
    sample = next;
    return true;
  }
};

}  // namespace vz::platform::testing
