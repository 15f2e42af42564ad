#pragma once
// The machine's log of record (on Linux the systemd journal, or syslog where
// no journal runs), so that the tools that watch many machines see what the
// shield saw without reading its own log file.
#include <memory>
#include <string>
#include <vector>

namespace vz::platform {

// How much a line matters, in the levels every system log knows.
enum class JournalPriority { Warning = 4, Info = 6 };

// A named value besides the text. Names are upper-case letters, digits and
// "_", not starting with "_" (the system journal's rule); values are any bytes.
struct JournalField {
  std::string name;
  std::string value;
};

struct JournalRecord {
  std::string message;
  JournalPriority priority = JournalPriority::Info;
  std::vector<JournalField> fields;
};

class SystemJournal {
 public:
  virtual ~SystemJournal() = default;
  // Sends one record. A journal that cannot take it loses it: the shield's
  // own log still has the line.
  virtual void Send(const JournalRecord& record) = 0;
};

// The program name the records are filed under ("journalctl -t qvshield").
inline constexpr const char* kJournalIdentifier = "qvshield";

// The system journal where one runs, syslog otherwise.
std::unique_ptr<SystemJournal> OpenSystemJournal();

}  // namespace vz::platform
