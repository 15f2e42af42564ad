#include "platform/linux/ProcfsStat.h"

#include <sched.h>

#include <charconv>

namespace vz::platform::procfs {

namespace {

// The fields after the comm are single-blank separated; field 3 comes first.
constexpr int kFirstFieldAfterComm = 3;
constexpr int kNiceField = 19;
constexpr int kStartTimeField = 22;
constexpr int kPolicyField = 41;
// Linux scheduling policies, by number as /proc writes them.
constexpr int kSchedDeadline = 6;

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string_view SteadyName(std::string_view comm) {
  constexpr std::string_view kWorker = "kworker/";
  // Rescuers ("kworker/R-name") carry their queue in their own name.
  if (comm.substr(0, kWorker.size()) != kWorker || comm.substr(kWorker.size(), 2) == "R-") return comm;
  size_t work = comm.find_first_of("-+", kWorker.size());
  return work == std::string_view::npos ? comm : comm.substr(0, work);
}

std::string_view StatComm(std::string_view bytes) {
  size_t open = bytes.find('(');
  size_t close = bytes.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return bytes.substr(open + 1, close - open - 1);
}

std::optional<StatFields> ParseStat(std::string_view bytes) {
  size_t open = bytes.find('(');
  size_t close = bytes.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open || open < 2) return std::nullopt;
  StatFields fields;
  if (bytes[open - 1] != ' ' || !ParseNumber(bytes.substr(0, open - 1), fields.pid)) return std::nullopt;
  fields.comm = bytes.substr(open + 1, close - open - 1);

  std::string_view rest = bytes.substr(close + 1);
  if (!rest.empty() && rest.back() == '\n') rest.remove_suffix(1);
  bool haveState = false, haveNice = false, haveStart = false;
  int field = kFirstFieldAfterComm - 1;
  size_t pos = 0;
  while (pos < rest.size() && field < kPolicyField) {
    if (rest[pos] != ' ') return std::nullopt;
    size_t end = rest.find(' ', pos + 1);
    if (end == std::string_view::npos) end = rest.size();
    std::string_view token = rest.substr(pos + 1, end - pos - 1);
    if (token.empty()) return std::nullopt;  // a doubled blank would shift every field after it
    ++field;
    if (field == kFirstFieldAfterComm) {
      if (token.size() != 1) return std::nullopt;
      fields.state = token[0];
      haveState = true;
    } else if (field == kNiceField) {
      haveNice = ParseNumber(token, fields.nice);
      if (!haveNice) return std::nullopt;
    } else if (field == kStartTimeField) {
      haveStart = ParseNumber(token, fields.startTime);
      if (!haveStart) return std::nullopt;
    } else if (field == kPolicyField) {
      if (!ParseNumber(token, fields.policy)) return std::nullopt;
    }
    pos = end;
  }
  if (!haveState || !haveNice || !haveStart) return std::nullopt;
  return fields;
}

PriorityClass ClassFromSchedule(int policy, int nice) {
  switch (policy) {
    case SCHED_FIFO:
    case SCHED_RR:
    case kSchedDeadline:
      return PriorityClass::RealTime;
    case SCHED_IDLE:
      return PriorityClass::Idle;
    default:
      break;
  }
  if (nice <= -11) return PriorityClass::High;
  if (nice < 0) return PriorityClass::AboveNormal;
  if (nice == 0) return PriorityClass::Normal;
  if (nice <= 10) return PriorityClass::BelowNormal;
  return PriorityClass::Idle;
}

std::string_view StripDeletedSuffix(std::string_view exeLink) {
  constexpr std::string_view kDeleted = " (deleted)";
  if (exeLink.size() > kDeleted.size() && exeLink.substr(exeLink.size() - kDeleted.size()) == kDeleted)
    exeLink.remove_suffix(kDeleted.size());
  return exeLink;
}

std::string_view BaseName(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool ParsePidName(const char* name, Pid& pid) {
  if (name[0] < '1' || name[0] > '9') return false;
  std::string_view text(name);
  return ParseNumber(text, pid);
}

}  // namespace vz::platform::procfs
