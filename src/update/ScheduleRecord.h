#pragma once
// The schedule record: string values under "\Software\Ornavex\1.0" of the
// machine hive, shared by the shield (which reads it and keeps the already-run
// flag) and the administration console (which saves schedules). Every access
// goes through the registry store, so writes are locked and atomic and other
// processes see them at their next read.
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "update/ScheduleValues.h"

namespace vz::update {

inline constexpr std::string_view kScheduleKeyPath = "\\Software\\Ornavex\\1.0";

// A value of the record that could not be read or written as needed: missing,
// not of its encoding, or the store failing. The message names the value.
class EScheduleRecord : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScheduleRecord {
 public:
  explicit ScheduleRecord(platform::RegistryStore& registry) : registry_(registry) {}

  bool KeyExists() const;
  // Creates a missing key holding only ScheDeac = "1", so a fresh machine
  // starts with the schedule deactivated; an existing key is left as it is.
  platform::RegStatus CreateIfMissing();

  // Opens the key. The shield opens it for reading and writing without
  // creating it; the console creates it.
  [[nodiscard]] platform::RegStatus Open(platform::RegAccess access,
                                         platform::RegDisposition disposition = platform::RegDisposition::OpenExisting);
  bool IsOpen() const { return key_.IsOpen(); }
  void Close() { key_.Close(); }

  // The reads below need the key open and throw EScheduleRecord on failure.
  // The stored text; a missing value reads as the empty text, a value that is
  // not a string (or a store that cannot be read) is an error.
  std::string ReadText(std::string_view name) const;
  // The text with surrounding blanks removed.
  std::string ReadTrimmed(std::string_view name) const;
  // A boolean by the record's rules; missing or anything else is an error.
  bool ReadBoolean(std::string_view name) const;
  // A decimal number text; missing or not a number is an error.
  long ReadNumber(std::string_view name) const;
  // Whether the value is there at all.
  bool HasValue(std::string_view name) const { return key_.HasValue(name); }
  // The update server's base address: "UpdateServer" with blanks removed, or
  // the default address when the record names none.
  std::string UpdateServer() const;

  // Writes a string value; needs the key opened for writing. Throws on failure.
  void WriteText(std::string_view name, std::string_view text);
  void WriteBoolean(std::string_view name, bool value) { WriteText(name, RecordBooleanText(value)); }

 private:
  platform::RegistryStore& registry_;
  platform::RegistryKey key_;
};

}  // namespace vz::update
