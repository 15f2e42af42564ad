#pragma once
// Hands every shield log line to the system journal. A finding goes as a
// warning with its fields, so that journal tools and collectors can select
// alerts by entry, program, process or action without reading our text.
#include "log/ShieldLogSink.h"
#include "platform/SystemJournal.h"

namespace vz::log {

// The journal fields of a finding.
inline constexpr const char* kJournalEntryField = "VAZERU_ENTRY";    // the name in the spyware list
inline constexpr const char* kJournalPathField = "VAZERU_PATH";      // the program's file
inline constexpr const char* kJournalPidField = "VAZERU_PID";        // the process (absent when none)
inline constexpr const char* kJournalActionField = "VAZERU_ACTION";  // what the shield did

// The journal's form of a line: the message without our time of day (the
// journal stamps its records itself).
platform::JournalRecord JournalRecordFor(const ShieldLogLine& line);

class JournalSink final : public ShieldLogSink {
 public:
  // The journal must outlive the sink.
  explicit JournalSink(platform::SystemJournal& journal) : journal_(journal) {}
  void Receive(const ShieldLogLine& line) override { journal_.Send(JournalRecordFor(line)); }

 private:
  platform::SystemJournal& journal_;
};

}  // namespace vz::log
