// Any bytes as a hive file: the parser never crashes, and what it loaded
// survives a write and a second load unchanged (so a damaged hive's good
// values are never lost by the rewrite).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/HiveText.h"

using namespace vz::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Hive first;
  ParseHiveText(text, "HKEY_LOCAL_MACHINE", first);
  std::string written = FormatHiveText(first, "HKEY_LOCAL_MACHINE");
  Hive second;
  HiveParseResult again = ParseHiveText(written, "HKEY_LOCAL_MACHINE", second);
  if (again.damaged) std::abort();
  if (first.Keys().size() != second.Keys().size()) std::abort();
  for (auto a = first.Keys().begin(), b = second.Keys().begin(); a != first.Keys().end(); ++a, ++b) {
    if (a->first != b->first || a->second.path != b->second.path) std::abort();
    if (a->second.values.size() != b->second.values.size()) std::abort();
    for (std::size_t i = 0; i < a->second.values.size(); ++i) {
      if (a->second.values[i].name != b->second.values[i].name) std::abort();
      if (!(a->second.values[i].value == b->second.values[i].value)) std::abort();
    }
  }
  return 0;
}
