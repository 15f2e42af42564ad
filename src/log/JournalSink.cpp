#include "log/JournalSink.h"

#include <string>

namespace vz::log {

platform::JournalRecord JournalRecordFor(const ShieldLogLine& line) {
  platform::JournalRecord record;
  record.message = line.message;
  if (!line.finding) return record;
  const Finding& finding = *line.finding;
  record.priority = platform::JournalPriority::Warning;
  record.fields.push_back({kJournalEntryField, finding.entryName});
  record.fields.push_back({kJournalPathField, finding.programPath});
  if (finding.pid != 0) record.fields.push_back({kJournalPidField, std::to_string(finding.pid)});
  record.fields.push_back({kJournalActionField, finding.action});
  return record;
}

}  // namespace vz::log
