#pragma once
// A whole schedule as the administration console edits it, and its loading
// from and saving to the schedule record.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "update/ScheduleRecord.h"

namespace vz::update {

struct ScheduleSettings {
  bool deactivated = true;
  int type = 0;  // 0 daily, 1 weekly, 2 at every start of the shield
  int day = 0;   // 0 Monday to 6 Sunday
  int hour = 12;
  bool runMissed = true;
  bool updateFromLan = false;  // else from the update server
  std::string lanSource;
  bool copyToLan = false;
  std::string lanTarget;
  bool clock24 = true;
  std::string updateServer{kDefaultUpdateServer};

  bool operator==(const ScheduleSettings&) const = default;
};

// Every value of the record as the settings save it, in saving order, with
// Runupdate "0": a saved schedule is due in its current period.
std::vector<std::pair<std::string_view, std::string>> StoredTexts(const ScheduleSettings& settings);

// Reads the record (which must be open). A value that is missing or not of its
// encoding keeps the default and its name is added to `unreadable`. Throws
// EScheduleRecord when the store itself cannot be read.
ScheduleSettings LoadScheduleSettings(const ScheduleRecord& record, std::vector<std::string>* unreadable = nullptr);

// Writes every value (the record must be open for writing). Settings that do
// not fit their encodings are refused with EScheduleRecord before anything is
// written.
void SaveScheduleSettings(ScheduleRecord& record, const ScheduleSettings& settings);

// Writes its default into every value the record lacks (the default keeps the
// schedule deactivated), so that a record changed one value at a time never
// leaves the shield reading a missing value. Returns the names written.
std::vector<std::string> CompleteScheduleRecord(ScheduleRecord& record);

// "Weekly on Sun at 07:00", "Daily at 12:00", "At every start of the shield".
std::string ScheduleSummary(const ScheduleSettings& settings);

}  // namespace vz::update
