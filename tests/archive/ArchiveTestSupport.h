#pragma once
// Helpers of the archive tests: building archives byte by byte and packing data.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveWriter.h"

namespace vz::archive::testing {

inline void PutDWord(std::string& out, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

inline std::uint32_t GetDWord(const std::string& bytes, size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<size_t>(k)]);
  return v;
}

struct Packed {
  std::string name;
  std::string data;
  std::uint32_t dateTime = 0x5A8B6C21;  // 2025-04-11 13:33:02
  std::uint32_t attributes = 0x20;
};

inline void PackArchive(const std::string& path, const std::vector<Packed>& files) {
  ArchiveWriter writer(path);
  for (const auto& f : files) writer.AddData(f.data, {f.name, f.dateTime, f.attributes});
  writer.Commit();
}

}  // namespace vz::archive::testing
