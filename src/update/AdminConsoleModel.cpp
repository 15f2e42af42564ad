#include "update/AdminConsoleModel.h"

#include <cstdio>

namespace vz::update {

std::string HourCaption(int hour, bool clock24) {
  char text[16];
  if (clock24)
    std::snprintf(text, sizeof text, "%02d:00", hour);
  else
    std::snprintf(text, sizeof text, "%d:00 %s", hour % 12 == 0 ? 12 : hour % 12, hour < 12 ? "AM" : "PM");
  return text;
}

bool AdminConsoleModel::Load() {
  settings_ = ScheduleSettings{};
  try {
    ScheduleRecord record(registry_);
    platform::RegStatus opened = record.Open(platform::RegAccess::Read);
    if (opened.code == platform::kRegFileNotFound) {
      status_ = "No schedule saved yet";
      return true;
    }
    if (!opened) {
      status_ = "Cannot read the schedule: " + opened.Text();
      return false;
    }
    std::vector<std::string> unreadable;
    settings_ = LoadScheduleSettings(record, &unreadable);
    status_ = "Schedule loaded";
    if (!unreadable.empty()) {
      status_ += "; defaults shown for";
      for (const std::string& name : unreadable) status_ += " " + name;
    }
    return true;
  } catch (const EScheduleRecord& e) {
    status_ = std::string("Cannot read the schedule: ") + e.what();
    return false;
  }
}

bool AdminConsoleModel::Save() {
  try {
    ScheduleRecord record(registry_);
    platform::RegStatus opened = record.Open(platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing);
    if (!opened) {
      status_ = "Cannot save the schedule: " + opened.Text();
      return false;
    }
    SaveScheduleSettings(record, settings_);
    status_ = "Schedule saved";
    return true;
  } catch (const EScheduleRecord& e) {
    status_ = std::string("Not saved: ") + e.what();
    return false;
  }
}

std::vector<std::string> AdminConsoleModel::TypeCaptions() {
  return {std::string(ScheduleTypeName(0)), std::string(ScheduleTypeName(1)), std::string(ScheduleTypeName(2))};
}

std::vector<std::string> AdminConsoleModel::DayCaptions() {
  std::vector<std::string> days;
  for (int day = 0; day < 7; ++day) days.emplace_back(DayName(day));
  return days;
}

std::vector<std::string> AdminConsoleModel::HourCaptions() const {
  std::vector<std::string> hours;
  for (int hour = 0; hour < 24; ++hour) hours.push_back(HourCaption(hour, settings_.clock24));
  return hours;
}

}  // namespace vz::update
