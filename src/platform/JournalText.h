#pragma once
// The one-line text form of a journal record, for a system log that keeps
// text only (syslog): the message, then each field as NAME="value".
#include <string>

#include "platform/SystemJournal.h"

namespace vz::platform {

// Control characters become \ooo, so that a name or path chosen by a hostile
// program cannot start a line of its own in a text log; inside a quoted value
// '"' and '\' are escaped too, so that every value reads back as it was.
std::string JournalLineText(const JournalRecord& record);

}  // namespace vz::platform
