#include "update/ScheduleSettings.h"

#include <cstdio>
#include <map>

namespace vz::update {

namespace {

std::string NumberText(int number) { return std::to_string(number); }
std::string BooleanText(bool value) { return std::string(RecordBooleanText(value)); }

}  // namespace

std::vector<std::pair<std::string_view, std::string>> StoredTexts(const ScheduleSettings& s) {
  std::map<std::string_view, std::string> byName = {
      {kScheDeac, s.deactivated ? "1" : "0"},
      {kSchtype, NumberText(s.type)},
      {kSchday, NumberText(s.day)},
      {kScheTime, NumberText(s.hour)},
      {kUpdInet, BooleanText(!s.updateFromLan)},
      {kUpdLan, BooleanText(s.updateFromLan)},
      {kUpdLanS, s.lanSource},
      {kCopyLan, BooleanText(s.copyToLan)},
      {kCopyLanS, s.lanTarget},
      {kRunmissed, BooleanText(s.runMissed)},
      {k24hours, BooleanText(s.clock24)},
      {kUpdateServer, s.updateServer},
      {kRunupdate, "0"},
  };
  std::vector<std::pair<std::string_view, std::string>> texts;
  for (const ScheduleValue& value : ScheduleValues()) texts.emplace_back(value.name, byName.at(value.name));
  return texts;
}

ScheduleSettings LoadScheduleSettings(const ScheduleRecord& record, std::vector<std::string>* unreadable) {
  std::map<std::string_view, std::string> text;
  for (const ScheduleValue& value : ScheduleValues()) {
    std::string stored = record.ReadText(value.name);
    std::string reason;
    if (!record.HasValue(value.name) || !IsValidStoredText(value, stored, reason)) {
      if (unreadable) unreadable->emplace_back(value.name);
      stored = std::string(value.defaultText);
    }
    text[value.name] = std::move(stored);
  }
  auto flag = [&](std::string_view name) { return ParseRecordBoolean(text[name]).value_or(false); };
  auto number = [&](std::string_view name) { return static_cast<int>(ParseRecordNumber(text[name]).value_or(0)); };

  ScheduleSettings s;
  s.deactivated = flag(kScheDeac);
  s.type = number(kSchtype);
  s.day = number(kSchday);
  s.hour = number(kScheTime);
  s.runMissed = flag(kRunmissed);
  s.updateFromLan = flag(kUpdLan);
  s.lanSource = text[kUpdLanS];
  s.copyToLan = flag(kCopyLan);
  s.lanTarget = text[kCopyLanS];
  s.clock24 = flag(k24hours);
  s.updateServer = std::string(TrimRecordText(text[kUpdateServer]));
  return s;
}

void SaveScheduleSettings(ScheduleRecord& record, const ScheduleSettings& settings) {
  auto texts = StoredTexts(settings);
  for (const auto& [name, text] : texts) {
    std::string reason;
    if (!IsValidStoredText(*FindScheduleValue(name), text, reason))
      throw EScheduleRecord(std::string(name) + ": \"" + text + "\" is " + reason);
  }
  for (const auto& [name, text] : texts) record.WriteText(name, text);
}

std::vector<std::string> CompleteScheduleRecord(ScheduleRecord& record) {
  std::vector<std::string> written;
  for (const ScheduleValue& value : ScheduleValues()) {
    if (record.HasValue(value.name)) continue;
    record.WriteText(value.name, value.defaultText);
    written.emplace_back(value.name);
  }
  return written;
}

std::string ScheduleSummary(const ScheduleSettings& s) {
  if (s.type == 2) return "At every start of the shield";
  char hour[8];
  std::snprintf(hour, sizeof hour, "%02d:00", s.hour);
  if (s.type == 1) return "Weekly on " + std::string(DayName(s.day)) + " at " + hour;
  return std::string("Daily at ") + hour;
}

}  // namespace vz::update
