#include "Commands.h"

#include <iomanip>
#include <ostream>

#include "update/ScheduleRecord.h"
#include "update/ScheduleSettings.h"

namespace vz::admin {

namespace {

using update::ScheduleRecord;

constexpr const char* kPrefix = "qvadmin: ";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string ValueNameList() {
  std::string names;
  for (const update::ScheduleValue& value : update::ScheduleValues()) {
    if (!names.empty()) names += ", ";
    names += value.name;
  }
  return names;
}

// Opens the record for a change, creating it when missing, and fills in what
// it lacks. False (with the error printed) when it cannot be written.
bool OpenForChange(ScheduleRecord& record, std::ostream& err) {
  platform::RegStatus status = record.Open(platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing);
  if (!status) {
    err << kPrefix << "cannot write the schedule record: " << status.Text()
        << (status.detail.empty() ? "" : " (" + status.detail + ")") << "\n";
    return false;
  }
  update::CompleteScheduleRecord(record);
  return true;
}

// Every change made here is a newly saved schedule: due again in its period.
void Rearm(ScheduleRecord& record) { record.WriteText(update::kRunupdate, "0"); }

}  // namespace

int ShowCommand(platform::RegistryStore& registry, std::ostream& out, std::ostream& err) {
  try {
    ScheduleRecord record(registry);
    platform::RegStatus status = record.Open(platform::RegAccess::Read);
    if (status.code == platform::kRegFileNotFound) {
      out << "No schedule record yet: the shield starts with the schedule deactivated.\n";
      return 0;
    }
    if (!status) {
      err << kPrefix << "cannot read the schedule record: " << status.Text()
          << (status.detail.empty() ? "" : " (" + status.detail + ")") << "\n";
      return 1;
    }
    std::vector<std::string> unreadable;
    update::ScheduleSettings settings = update::LoadScheduleSettings(record, &unreadable);
    out << update::ScheduleSummary(settings) << ", " << (settings.deactivated ? "deactivated" : "active") << "\n";
    for (const update::ScheduleValue& value : update::ScheduleValues()) {
      out << std::left << std::setw(13) << value.name << " ";
      if (!record.HasValue(value.name)) {
        out << "(missing)";
      } else {
        std::string text = record.ReadText(value.name);
        std::string reason;
        out << Quoted(text);
        if (!update::IsValidStoredText(value, text, reason)) out << "  <- " << reason;
      }
      out << "\n";
    }
    return 0;
  } catch (const update::EScheduleRecord& e) {
    err << kPrefix << e.what() << "\n";
    return 1;
  }
}

int SetCommand(platform::RegistryStore& registry, const std::string& name, const std::string& input,
               std::ostream& out, std::ostream& err) {
  const update::ScheduleValue* value = update::FindScheduleValue(name);
  if (!value) {
    err << kPrefix << "no value named " << Quoted(name) << " (one of " << ValueNameList() << ")\n";
    return 1;
  }
  std::string stored, reason;
  if (!update::StoredTextFromInput(*value, input, stored, reason)) {
    err << kPrefix << value->name << ": " << Quoted(input) << " is " << reason << "\n";
    return 1;
  }
  try {
    ScheduleRecord record(registry);
    if (!OpenForChange(record, err)) return 1;
    record.WriteText(value->name, stored);
    if (value->name != update::kRunupdate) Rearm(record);
    out << value->name << " = " << Quoted(stored) << "\n";
    return 0;
  } catch (const update::EScheduleRecord& e) {
    err << kPrefix << e.what() << "\n";
    return 1;
  }
}

int ActivateCommand(platform::RegistryStore& registry, bool activate, std::ostream& out, std::ostream& err) {
  try {
    ScheduleRecord record(registry);
    if (!OpenForChange(record, err)) return 1;
    if (activate) {
      for (const update::ScheduleValue& value : update::ScheduleValues()) {
        std::string text = record.ReadText(value.name);
        std::string reason;
        if (!update::IsValidStoredText(value, text, reason)) {
          err << kPrefix << "not activated: " << value.name << " holds " << Quoted(text) << ", " << reason
              << "; correct it with qvadmin set " << value.name << " VALUE\n";
          return 1;
        }
      }
    }
    record.WriteText(update::kScheDeac, activate ? "0" : "1");
    Rearm(record);
    out << "Schedule " << (activate ? "activated" : "deactivated") << "\n";
    return 0;
  } catch (const update::EScheduleRecord& e) {
    err << kPrefix << e.what() << "\n";
    return 1;
  }
}

}  // namespace vz::admin
