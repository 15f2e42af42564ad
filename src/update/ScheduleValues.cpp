#include "update/ScheduleValues.h"

#include <array>
#include <charconv>

#include "platform/PlainText.h"

namespace vz::update {

namespace {

constexpr std::array<ScheduleValue, 13> kValues = {{
    {kScheDeac, ScheduleEncoding::ZeroOrOne, "1", "schedule deactivated (1) or active (0)"},
    {kSchtype, ScheduleEncoding::Type, "0", "schedule type: 0 daily, 1 weekly, 2 at every start of the shield"},
    {kSchday, ScheduleEncoding::Day, "0", "day of a weekly schedule: 0 Monday to 6 Sunday"},
    {kScheTime, ScheduleEncoding::Hour, "12", "hour of the day, 0 to 23"},
    {kUpdInet, ScheduleEncoding::Boolean, "-1", "update from the update server"},
    {kUpdLan, ScheduleEncoding::Boolean, "0", "update by copying from a LAN folder instead"},
    {kUpdLanS, ScheduleEncoding::Folder, "", "LAN folder the update copies from"},
    {kCopyLan, ScheduleEncoding::Boolean, "0", "after a download, copy the data files to a LAN folder"},
    {kCopyLanS, ScheduleEncoding::Folder, "", "LAN folder the data files are copied to"},
    {kRunmissed, ScheduleEncoding::Boolean, "-1", "run a missed schedule as soon as possible"},
    {k24hours, ScheduleEncoding::Boolean, "-1", "the console shows the hour on a 24-hour clock"},
    {kUpdateServer, ScheduleEncoding::Url, kDefaultUpdateServer, "base address of the update server"},
    {kRunupdate, ScheduleEncoding::ZeroOrOne, "0", "scheduled run of this period done (1) or still due (0)"},
}};

constexpr std::array<std::string_view, 3> kTypeNames = {"Daily", "Weekly", "At Startup"};
constexpr std::array<std::string_view, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < ' ' || c == '\x7f'; }

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The position of name in names (case ignored), or -1.
template <std::size_t N>
int IndexOfName(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i)
    if (platform::SameTextAscii(names[i], name)) return static_cast<int>(i);
  return -1;
}

bool NumberInRange(std::string_view text, long low, long high, const char* what, std::string& reason) {
  std::optional<long> number = ParseRecordNumber(text);
  if (!number || *number < low || *number > high) {
    reason = what;
    return false;
  }
  return true;
}

bool IsUrl(std::string_view text) {
  std::string_view rest;
  if (platform::StartsWithAscii(text, "http://"))
    rest = text.substr(7);
  else if (platform::StartsWithAscii(text, "https://"))
    rest = text.substr(8);
  else
    return false;
  for (char c : text)
    if (IsBlank(c) || c == '\x7f') return false;
  std::size_t hostEnd = rest.find_first_of("/?#");
  return hostEnd != 0 && !rest.empty();
}

}  // namespace

std::span<const ScheduleValue> ScheduleValues() { return kValues; }

const ScheduleValue* FindScheduleValue(std::string_view name) {
  for (const ScheduleValue& value : kValues)
    if (platform::SameTextAscii(value.name, name)) return &value;
  return nullptr;
}

std::string_view TrimRecordText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<bool> ParseRecordBoolean(std::string_view text) {
  text = TrimRecordText(text);
  if (platform::SameTextAscii(text, "True")) return true;
  if (platform::SameTextAscii(text, "False")) return false;
  std::string_view digits = text;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (!AllDigits(digits)) return std::nullopt;
  // A number of any length: true unless every digit is zero.
  return digits.find_first_not_of('0') != std::string_view::npos;
}

std::optional<long> ParseRecordNumber(std::string_view text) {
  text = TrimRecordText(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (!AllDigits(text)) return std::nullopt;
  long number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return negative ? -number : number;
}

std::string_view RecordBooleanText(bool value) { return value ? "-1" : "0"; }

bool IsValidStoredText(const ScheduleValue& value, std::string_view text, std::string& reason) {
  switch (value.encoding) {
    case ScheduleEncoding::ZeroOrOne:
      if (ParseRecordBoolean(text)) return true;
      reason = "not 0 or 1";
      return false;
    case ScheduleEncoding::Boolean:
      if (ParseRecordBoolean(text)) return true;
      reason = "not a boolean (-1 or 0)";
      return false;
    case ScheduleEncoding::Type: {
      std::string_view type = TrimRecordText(text);
      if (type == kTypeDaily || type == kTypeWeekly || type == kTypeAtStartup) return true;
      reason = "not a schedule type 0, 1 or 2";
      return false;
    }
    case ScheduleEncoding::Day:
      return NumberInRange(text, 0, 6, "not a day 0 (Monday) to 6 (Sunday)", reason);
    case ScheduleEncoding::Hour:
      return NumberInRange(text, 0, 23, "not an hour 0 to 23", reason);
    case ScheduleEncoding::Folder:
      for (char c : text)
        if (IsControl(c)) {
          reason = "a path with a control character";
          return false;
        }
      // Blanks alone mean no folder; anything else must be absolute, since the
      // shield resolves nothing against a working folder.
      if (TrimRecordText(text).empty() || text.front() == '/') return true;
      reason = "not an absolute folder path";
      return false;
    case ScheduleEncoding::Url:
      if (IsUrl(text)) return true;
      reason = "not an http:// or https:// address";
      return false;
  }
  reason = "unknown encoding";
  return false;
}

bool StoredTextFromInput(const ScheduleValue& value, std::string_view input, std::string& stored,
                         std::string& reason) {
  std::string_view trimmed = TrimRecordText(input);
  std::string candidate(input);
  switch (value.encoding) {
    case ScheduleEncoding::ZeroOrOne:
    case ScheduleEncoding::Boolean: {
      std::optional<bool> flag = ParseRecordBoolean(trimmed);
      if (!flag && platform::SameTextAscii(trimmed, "yes")) flag = true;
      if (!flag && platform::SameTextAscii(trimmed, "no")) flag = false;
      if (!flag) {
        reason = value.encoding == ScheduleEncoding::Boolean ? "not a boolean (true/false, yes/no, -1/0)"
                                                             : "not 0 or 1";
        return false;
      }
      if (value.encoding == ScheduleEncoding::Boolean)
        candidate = RecordBooleanText(*flag);
      else
        candidate = std::string(*flag ? "1" : "0");
      break;
    }
    case ScheduleEncoding::Type:
      if (int index = IndexOfName(kTypeNames, trimmed); index >= 0) {
        candidate = std::to_string(index);
      } else if (std::optional<long> number = ParseRecordNumber(trimmed)) {
        candidate = std::to_string(*number);
      } else {
        reason = "not a schedule type (Daily, Weekly, At Startup or 0, 1, 2)";
        return false;
      }
      break;
    case ScheduleEncoding::Day:
      if (int index = IndexOfName(kDayNames, trimmed); index >= 0) {
        candidate = std::to_string(index);
      } else if (std::optional<long> number = ParseRecordNumber(trimmed)) {
        candidate = std::to_string(*number);
      } else {
        reason = "not a day (Mon..Sun or 0..6)";
        return false;
      }
      break;
    case ScheduleEncoding::Hour:
      if (std::optional<long> number = ParseRecordNumber(trimmed)) candidate = std::to_string(*number);
      break;
    case ScheduleEncoding::Folder:
      if (trimmed.empty()) candidate.clear();
      break;
    case ScheduleEncoding::Url:
      candidate = std::string(trimmed);
      break;
  }
  if (!IsValidStoredText(value, candidate, reason)) return false;
  stored = std::move(candidate);
  return true;
}

std::string_view ScheduleTypeName(int type) {
  return type >= 0 && type < static_cast<int>(kTypeNames.size()) ? kTypeNames[type] : std::string_view();
}

std::string_view DayName(int day) {
  return day >= 0 && day < static_cast<int>(kDayNames.size()) ? kDayNames[day] : std::string_view();
}

}  // namespace vz::update
