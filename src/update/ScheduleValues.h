#pragma once
// The values of the schedule record and their text encodings. The record is
// shared with the administration console and persists across versions, so the
// names and texts here are a stored format: every value is a string, booleans
// are "-1"/"0", numbers are decimal text.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vz::update {

// Value names as a schedule is saved. The registry matches names without
// regard to case, so "Schedeac", "schetime" or "Updlan" address the same values.
inline constexpr std::string_view kScheDeac = "ScheDeac";
inline constexpr std::string_view kSchtype = "Schtype";
inline constexpr std::string_view kSchday = "Schday";
inline constexpr std::string_view kScheTime = "ScheTime";
inline constexpr std::string_view kRunupdate = "Runupdate";
inline constexpr std::string_view kUpdInet = "UpdInet";
inline constexpr std::string_view kUpdLan = "UpdLan";
inline constexpr std::string_view kUpdLanS = "UpdLanS";
inline constexpr std::string_view kCopyLan = "CopyLan";
inline constexpr std::string_view kCopyLanS = "CopyLanS";
inline constexpr std::string_view kRunmissed = "Runmissed";
inline constexpr std::string_view k24hours = "24hours";
inline constexpr std::string_view kUpdateServer = "UpdateServer";

// Schedule types as "Schtype" holds them.
inline constexpr std::string_view kTypeDaily = "0";
inline constexpr std::string_view kTypeWeekly = "1";
inline constexpr std::string_view kTypeAtStartup = "2";

// Where the downloader fetches from when the record names no server.
inline constexpr std::string_view kDefaultUpdateServer = "http://updates.orvane.example/vazeru/";

enum class ScheduleEncoding {
  ZeroOrOne,  // "0" or "1" (ScheDeac, Runupdate)
  Boolean,    // "-1" true, "0" false
  Type,       // "0" daily, "1" weekly, "2" at startup
  Day,        // "0" Monday to "6" Sunday
  Hour,       // "0" to "23", 24-hour clock
  Folder,     // an absolute folder path, or "" for none
  Url,        // an http:// or https:// address
};

struct ScheduleValue {
  std::string_view name;
  ScheduleEncoding encoding;
  std::string_view defaultText;  // what a fresh record holds
  std::string_view meaning;      // one line, for `qvadmin show` and --help
};

// Every value of the record, in the order a schedule is saved: Runupdate last,
// so a shield reading the record during a save finds its period re-armed only
// once every other value is in place.
std::span<const ScheduleValue> ScheduleValues();
// The value of that name, compared without regard to case; nullptr if none.
const ScheduleValue* FindScheduleValue(std::string_view name);

// The text with blanks and control characters removed from both ends.
std::string_view TrimRecordText(std::string_view text);
// A boolean of the record: "-1" or any other non-zero number, or "True" in any
// case, is true; "0" (any zero number) or "False" in any case is false;
// anything else, the empty text included, is not a boolean.
std::optional<bool> ParseRecordBoolean(std::string_view text);
// A decimal number text (sign allowed, surrounding blanks ignored); nothing
// when the text is not a number or does not fit.
std::optional<long> ParseRecordNumber(std::string_view text);
// "-1" or "0".
std::string_view RecordBooleanText(bool value);

// Whether a stored text is one the shield reads as this value means it; on
// false, `reason` says what is wrong in a few words ("not a day 0 to 6").
bool IsValidStoredText(const ScheduleValue& value, std::string_view text, std::string& reason);
// The text to store for what a person typed: the stored forms themselves, and
// also "yes"/"no"/"true"/"false" for booleans, "Daily"/"Weekly"/"At Startup"
// for the type and "Mon".."Sun" for the day. False (with the reason) when the
// input does not fit the value.
bool StoredTextFromInput(const ScheduleValue& value, std::string_view input, std::string& stored,
                         std::string& reason);

// The captions of the console: type 0..2 and day 0..6.
std::string_view ScheduleTypeName(int type);
std::string_view DayName(int day);

}  // namespace vz::update
