#pragma once
// Builds small Windows PE images with a version resource, for tests of the
// version information reader and of what uses it.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vz::platform::testing {

struct VersionResourceLayout {
  std::vector<std::pair<std::string, std::string>> strings;  // key, UTF-8 text
  std::string table = "040904B0";                            // StringTable key: language + code page
  std::vector<std::uint32_t> translations = {0x04B00409};    // language | code page << 16
  bool valueLengthInBytes = false;  // some writers count string lengths in bytes, not characters
};

// The VS_VERSIONINFO block.
std::string BuildVersionBlock(const VersionResourceLayout& layout);

// A PE image with one ".rsrc" section. With a block, the resource tree holds
// an icon entry and RT_VERSION -> 1 -> 0x409 -> block; without one, only the icon.
std::string BuildPeImage(const std::optional<std::string>& versionBlock, bool pe32Plus = false);

}  // namespace vz::platform::testing
