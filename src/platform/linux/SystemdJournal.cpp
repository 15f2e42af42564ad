// The system journal through libsystemd, and syslog(3) for a record the
// journal does not take (no journal running, or it went away).
#define SD_JOURNAL_SUPPRESS_LOCATION  // our source file names are nobody's business
#include <sys/stat.h>
#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>

#include <string>
#include <vector>

#include "platform/JournalText.h"
#include "platform/SystemJournal.h"

namespace vz::platform {

namespace {

// Where journald listens. libsystemd reports success when it is missing (the
// record is dropped), so its presence is checked before each record.
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

bool JournalRunning() {
  struct stat st {};
  return ::stat(kJournalSocket, &st) == 0 && S_ISSOCK(st.st_mode);
}

int SyslogLevel(JournalPriority priority) { return priority == JournalPriority::Warning ? LOG_WARNING : LOG_INFO; }

class SystemdJournal final : public SystemJournal {
 public:
  SystemdJournal() { ::openlog(kJournalIdentifier, LOG_PID, LOG_USER); }
  ~SystemdJournal() override { ::closelog(); }

  void Send(const JournalRecord& record) override {
    if (JournalRunning() && SendToJournal(record)) return;
    ::syslog(SyslogLevel(record.priority), "%s", JournalLineText(record).c_str());
  }

 private:
  // False when the journal did not take the record.
  static bool SendToJournal(const JournalRecord& record) {
    std::vector<std::string> items;
    items.reserve(3 + record.fields.size());
    items.push_back("MESSAGE=" + record.message);
    items.push_back("PRIORITY=" + std::to_string(SyslogLevel(record.priority)));
    items.push_back(std::string("SYSLOG_IDENTIFIER=") + kJournalIdentifier);
    for (const JournalField& field : record.fields) items.push_back(field.name + "=" + field.value);
    // Each item is sent with its length, so values may hold any byte, line breaks included.
    std::vector<iovec> parts;
    parts.reserve(items.size());
    for (std::string& item : items) parts.push_back(iovec{item.data(), item.size()});
    return ::sd_journal_sendv(parts.data(), static_cast<int>(parts.size())) >= 0;
  }
};

}  // namespace

std::unique_ptr<SystemJournal> OpenSystemJournal() { return std::make_unique<SystemdJournal>(); }

}  // namespace vz::platform
