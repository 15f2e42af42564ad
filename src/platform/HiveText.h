#pragma once
// The hive file: one registry root in the REGEDIT4 text format.
//
//   REGEDIT4
//   ;Serial=42
//
//   [HKEY_LOCAL_MACHINE\Software\Ornavex\1.0]
//   ;LastWrite=41
//   "ScheDeac"="1"
//   "Count"=dword:0000000a
//   "Path"=hex(2):25,53,79,00
//
// The ";" lines are comments to other readers of the format; they carry the
// write serials that let a watcher see a rewrite with unchanged data.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"

namespace vz::platform {

struct HiveParseResult {
  bool damaged = false;         // some line was not well-formed and was skipped
  std::size_t badLines = 0;
  std::size_t firstBadLine = 0;  // 1-based, 0 when none
};

// Loads every well-formed key and value of `text` into `hive` (which should be
// empty). Keys of another root than `rootName` count as damage. Never throws
// on any input.
HiveParseResult ParseHiveText(std::string_view text, std::string_view rootName, Hive& hive);

// The whole hive as text, keys in path order, values in stored order.
std::string FormatHiveText(const Hive& hive, std::string_view rootName);

// One value as the format writes it: `"name"=data` (`@=` for the unnamed
// value) with its line end.
std::string FormatHiveValue(std::string_view name, const RegValue& value);

}  // namespace vz::platform
