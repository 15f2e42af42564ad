#pragma once
// A system journal that keeps what it is sent.
#include <vector>

#include "platform/SystemJournal.h"

namespace vz::platform::testing {

class RecordingJournal final : public SystemJournal {
 public:
  void Send(const JournalRecord& record) override { records.push_back(record); }
  std::vector<JournalRecord> records;
};

}  // namespace vz::platform::testing
