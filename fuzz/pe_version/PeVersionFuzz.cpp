// Any bytes as a program file, and as a version information block: the reader
// never crashes and never reads outside the input.
#include <cstdint>
#include <string_view>

#include "platform/VersionInfo.h"

using namespace vz::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (auto block = ExtractVersionBlock(bytes)) VersionInfoFromBlock(*block);
  VersionInfoFromBlock(bytes);
  QueryVersionValue(bytes, "\\");
  QueryVersionString(bytes, "\\StringFileInfo\\040904B0\\CompanyName");
  return 0;
}
